// One declaration per form field: the field's description and the member of the model's input
// (or result) struct it fills, with the default taken from the struct's own initialiser.
//
//   core::Form<SpInput> form(kGroupParams);
//   form.bind("Qh", &SpInput::qh_m3_s, 1283, "河水流量Qh [m^3/s]");
//   form.check("mixonly", &SpInput::mix_only, 1291, "只计算完全混合浓度");
//   core::Outputs<SpResult> outs("计算结果");
//   outs.bind("C0", &SpResult::c0_mg_l, 1300, "完全混合浓度", "mg/L");
//   c.fields = core::concat(form.fields(), outs.fields());
//   c.compute = form.compute([outs](const SpInput& in, const std::string& action) {
//     if (auto f = checkSp(in)) return core::failed(*f);
//     core::Outcome o;
//     outs.write(computeSp(in), o.results);
//     return o;
//   });
//
// The storage type follows the member: float -> Float, double -> Double, int -> Int,
// bool -> CheckBox, std::string -> Text, an enum -> Choice (its entries given by choice()).
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/calculator.h"

namespace core {

namespace detail {

template <class M>
constexpr FieldType fieldTypeOf() {
  if constexpr (std::is_same_v<M, float>)
    return FieldType::Float;
  else if constexpr (std::is_same_v<M, double>)
    return FieldType::Double;
  else if constexpr (std::is_same_v<M, bool>)
    return FieldType::CheckBox;
  else if constexpr (std::is_same_v<M, std::string>)
    return FieldType::Text;
  else if constexpr (std::is_enum_v<M>)
    return FieldType::Choice;
  else if constexpr (std::is_integral_v<M>)
    return FieldType::Int;
  else
    static_assert(sizeof(M) == 0, "a bound member must be a number, bool, enum or string");
}

// The member's value as a form value (numbers as double, enums by their index).
template <class M>
double toNumber(const M& m) {
  if constexpr (std::is_enum_v<M>)
    return static_cast<double>(static_cast<int>(m));
  else
    return static_cast<double>(m);
}

// A form value stored into the member (already rounded to the field's storage type).
template <class M>
void fromNumber(M& m, double v) {
  if constexpr (std::is_same_v<M, bool>)
    m = v != 0;
  else if constexpr (std::is_enum_v<M>)
    m = static_cast<M>(static_cast<int>(v));
  else
    m = static_cast<M>(v);
}

}  // namespace detail

// The input fields of a calculator bound to the members of its input struct S.
template <class S>
class Form {
 public:
  using Reader = std::function<void(const Values&, S&)>;

  explicit Form(std::string group = {}) : m_group(std::move(group)) {}

  // The group caption of the fields bound after this call.
  Form& group(std::string caption) {
    m_group = std::move(caption);
    return *this;
  }

  // A field over a member; its storage type follows the member's type and its default is the
  // member's initialiser. Returns the description so a caller can set a format or tooltip.
  template <class M>
  FieldDesc& bind(std::string key, M S::*member, int control_id, std::string label,
                  std::string unit = {}, FieldType type = detail::fieldTypeOf<M>()) {
    return add<M>(std::move(key), control_id, std::move(label), std::move(unit), type,
                  [member](S& s) -> M& { return s.*member; });
  }

  // A field over a member of a part of the struct (a sub-form's own input struct, e.g.
  // `&TankForm::fw, &FixedRoofWorkingInput::volume_m3`); the default is the part's initialiser
  // as the struct sets it.
  template <class P, class M>
  FieldDesc& bind(std::string key, P S::*part, M P::*member, int control_id, std::string label,
                  std::string unit = {}, FieldType type = detail::fieldTypeOf<M>()) {
    return add<M>(std::move(key), control_id, std::move(label), std::move(unit), type,
                  [part, member](S& s) -> M& { return (s.*part).*member; });
  }

  // A check box over a bool (or int) member.
  template <class M>
  FieldDesc& check(std::string key, M S::*member, int control_id, std::string label) {
    return bind(std::move(key), member, control_id, std::move(label), {}, FieldType::CheckBox);
  }

  // A drop-down over an int or enum member holding the index of the chosen entry.
  template <class M>
  FieldDesc& choice(std::string key, M S::*member, int control_id, std::string label,
                    std::vector<std::string> entries, std::string unit = {}) {
    FieldDesc& f = bind(std::move(key), member, control_id, std::move(label), std::move(unit),
                        FieldType::Choice);
    f.choices = std::move(entries);
    return f;
  }

  // A radio group over an int or enum member holding the index of the chosen button.
  template <class M>
  FieldDesc& radio(std::string key, M S::*member, int control_id, std::string label,
                   std::vector<std::string> buttons) {
    FieldDesc& f = bind(std::move(key), member, control_id, std::move(label), {}, FieldType::Radio);
    f.choices = std::move(buttons);
    return f;
  }

  // A field with no member of its own (read by the page hook or a custom reader), e.g. a table
  // passed as text. The reader, when given, fills the struct from the form values.
  FieldDesc& extra(FieldDesc f, Reader reader = {}) {
    if (f.group.empty()) f.group = m_group;
    if (reader) m_readers.push_back(std::move(reader));
    m_fields.push_back(std::move(f));
    return m_fields.back();
  }

  // The struct filled from form (or command-line) values; every bound key must be present.
  S read(const Values& v) const {
    S s{};
    for (const auto& r : m_readers) r(v, s);
    return s;
  }

  const std::vector<FieldDesc>& fields() const { return m_fields; }

  // A compute function over the filled struct.
  template <class Fn>
  ComputeFn compute(Fn fn) const {
    auto form = std::make_shared<const Form>(*this);
    return [form, fn](const Values& v, const std::string& action) -> Outcome {
      return fn(form->read(v), action);
    };
  }

 private:
  // One field over the member `ref` finds in a struct.
  template <class M, class Ref>
  FieldDesc& add(std::string key, int control_id, std::string label, std::string unit,
                 FieldType type, Ref ref) {
    FieldDesc f;
    f.key = key;
    f.control_id = control_id;
    f.label = std::move(label);
    f.unit = std::move(unit);
    f.type = type;
    f.group = m_group;
    S defaults{};
    if constexpr (std::is_same_v<M, std::string>) {
      f.default_text = ref(defaults);
      m_readers.push_back([key, ref](const Values& v, S& s) { ref(s) = v.text(key); });
    } else {
      f.default_value = detail::toNumber(ref(defaults));
      if (type == FieldType::Text)
        throw std::logic_error("text field over a number member: " + key + " (internal error)");
      m_readers.push_back(
          [key, ref](const Values& v, S& s) { detail::fromNumber(ref(s), v.num(key)); });
    }
    m_fields.push_back(std::move(f));
    return m_fields.back();
  }

  std::string m_group;
  std::vector<FieldDesc> m_fields;
  std::vector<Reader> m_readers;
};

// The read-only result fields of a calculator bound to the members of its result struct R.
template <class R>
class Outputs {
 public:
  using Writer = std::function<void(const R&, Values&)>;

  explicit Outputs(std::string group = {}) : m_group(std::move(group)) {}

  Outputs& group(std::string caption) {
    m_group = std::move(caption);
    return *this;
  }

  // A result field over a member; the value is rounded to the field's storage type when written
  // (give the type when the form shows it otherwise, e.g. a double shown as a whole number).
  template <class M>
  FieldDesc& bind(std::string key, M R::*member, int control_id, std::string label,
                  std::string unit = {}, FieldType type = detail::fieldTypeOf<M>()) {
    return add<M>(std::move(key), control_id, std::move(label), std::move(unit), type,
                  [member](const R& r) -> const M& { return r.*member; });
  }

  // A result field over a member of a part of the result struct.
  template <class P, class M>
  FieldDesc& bind(std::string key, P R::*part, M P::*member, int control_id, std::string label,
                  std::string unit = {}, FieldType type = detail::fieldTypeOf<M>()) {
    return add<M>(std::move(key), control_id, std::move(label), std::move(unit), type,
                  [part, member](const R& r) -> const M& { return (r.*part).*member; });
  }

  // Every bound result written into the outcome's values.
  void write(const R& r, Values& out) const {
    for (const auto& w : m_writers) w(r, out);
  }

  const std::vector<FieldDesc>& fields() const { return m_fields; }

 private:
  template <class M, class Ref>
  FieldDesc& add(std::string key, int control_id, std::string label, std::string unit,
                 FieldType type, Ref ref) {
    FieldDesc f = resultField(key, control_id, std::move(label), std::move(unit), m_group, type);
    if constexpr (std::is_same_v<M, std::string>) {
      m_writers.push_back([key, ref](const R& r, Values& v) { v.setText(key, ref(r)); });
    } else {
      m_writers.push_back([key, ref, type](const R& r, Values& v) {
        v.setNum(key, storeAs(type, detail::toNumber(ref(r))));
      });
    }
    m_fields.push_back(std::move(f));
    return m_fields.back();
  }

  std::string m_group;
  std::vector<FieldDesc> m_fields;
  std::vector<Writer> m_writers;
};

// Fields of several lists in order (inputs, then results, as the form exchanges them).
inline std::vector<FieldDesc> concat(std::vector<FieldDesc> a, const std::vector<FieldDesc>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace core
