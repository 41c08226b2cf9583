#include "app/calculator_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/help.h"
#include "app/page_style.h"
#include "core/parse.h"
#include "widgets/prompts.h"

namespace app {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CalculatorPage::CalculatorPage(const core::CalculatorDesc& desc, QWidget* parent)
    : QWidget(parent), desc_(desc), hook_(makePageHook(desc.id)) {
  setObjectName(q(desc.id));
  applyPageColour(this);
  values_ = core::defaultValues(desc_);
  build();
  writeForm();
  if (hook_) hook_->setup(*this);
}

CalculatorPage::~CalculatorPage() = default;

QWidget* CalculatorPage::makeControl(const core::FieldDesc& f, QWidget* parent) {
  QWidget* w = nullptr;
  switch (f.type) {
    case core::FieldType::Choice: {
      auto* c = new QComboBox(parent);
      for (const auto& s : f.choices) c->addItem(q(s));
      w = c;
      break;
    }
    case core::FieldType::CheckBox: {
      auto* c = new QCheckBox(q(f.label), parent);
      w = c;
      break;
    }
    case core::FieldType::Text:
      if (!f.choices.empty()) {
        // A text with suggested entries: an editable drop-down; the user picks an entry or
        // types a text of their own.
        auto* c = new QComboBox(parent);
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        for (const auto& s : f.choices) c->addItem(q(s));
        c->lineEdit()->setObjectName(q(f.key));
        c->setMinimumWidth(90);
        c->setMaximumWidth(260);
        c->setObjectName(q(f.key + ":choice"));
        if (!f.tooltip.empty()) c->setToolTip(q(f.tooltip));
        return c;
      }
      [[fallthrough]];
    default: {
      auto* e = new QLineEdit(parent);
      e->setReadOnly(f.result);
      e->setMinimumWidth(90);
      e->setMaximumWidth(260);
      w = e;
      break;
    }
  }
  w->setObjectName(q(f.key));
  if (!f.tooltip.empty()) w->setToolTip(q(f.tooltip));
  return w;
}

void CalculatorPage::build() {
  layout_ = new QVBoxLayout(this);
  layout_->setContentsMargins(6, 6, 6, 6);

  std::map<std::string, QGridLayout*> grids;
  std::map<std::string, int> rows;
  auto gridFor = [&](const std::string& caption) -> QGridLayout* {
    auto it = grids.find(caption);
    if (it != grids.end()) return it->second;
    auto* box = new QGroupBox(q(caption), this);
    box->setObjectName(q("group:" + caption));
    auto* g = new QGridLayout(box);
    g->setColumnStretch(3, 1);
    layout_->addWidget(box);
    groups_[caption] = box;
    grids[caption] = g;
    rows[caption] = 0;
    return g;
  };

  for (const auto& f : desc_.fields) {
    QGridLayout* g = gridFor(f.group);
    QWidget* box = groups_[f.group];
    int& row = rows[f.group];
    if (f.type == core::FieldType::Radio) {
      auto* l = new QLabel(q(f.label), box);
      labels_[f.key] = l;
      g->addWidget(l, row, 0);
      auto* holder = new QWidget(box);
      auto* h = new QHBoxLayout(holder);
      h->setContentsMargins(0, 0, 0, 0);
      auto* bg = new QButtonGroup(holder);
      int idx = 0;
      for (const auto& c : f.choices) {
        auto* rb = new QRadioButton(q(c), holder);
        rb->setObjectName(q(f.key + ":" + std::to_string(idx)));
        bg->addButton(rb, idx++);
        h->addWidget(rb);
        radios_[f.key].push_back(rb);
      }
      h->addStretch(1);
      controls_[f.key] = radios_[f.key].empty() ? holder : radios_[f.key].front();
      g->addWidget(holder, row, 1, 1, 2);
      ++row;
      continue;
    }
    QWidget* c = makeControl(f, box);
    controls_[f.key] = c;
    if (f.type == core::FieldType::CheckBox) {
      g->addWidget(c, row, 0, 1, 3);
    } else {
      auto* l = new QLabel(q(f.label), box);
      l->setBuddy(c);
      labels_[f.key] = l;
      g->addWidget(l, row, 0);
      g->addWidget(c, row, 1);
      auto* u = new QLabel(q(f.unit), box);
      units_[f.key] = u;
      g->addWidget(u, row, 2);
    }
    ++row;
  }

  if (!desc_.actions.empty() || !desc_.help_topic.empty()) {
    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    for (const auto& a : desc_.actions) {
      auto* b = new QPushButton(q(a.label), this);
      b->setObjectName(q("action:" + a.name));
      buttons_[a.name] = b;
      bar->addWidget(b);
      const std::string name = a.name;
      connect(b, &QPushButton::clicked, this, [this, name] { runAction(name); });
    }
    if (!desc_.help_topic.empty()) {
      auto* b = new QPushButton(QStringLiteral("参考资料"), this);
      b->setObjectName(QStringLiteral("action:help"));
      buttons_["help"] = b;
      bar->addWidget(b);
      const std::string topic = desc_.help_topic;
      connect(b, &QPushButton::clicked, this, [this, topic] { showHelpTopic(this, q(topic)); });
    }
    layout_->addLayout(bar);
  }

  if (desc_.result_text_id != 0) {
    result_text_ = new QTextEdit(this);
    result_text_->setObjectName(QStringLiteral("resultText"));
    result_text_->setReadOnly(true);
    result_text_->setMinimumHeight(120);
    layout_->addWidget(result_text_, 1);
  } else {
    layout_->addStretch(1);
  }
}

QWidget* CalculatorPage::control(const std::string& key) const {
  auto it = controls_.find(key);
  return it == controls_.end() ? nullptr : it->second;
}

QLabel* CalculatorPage::label(const std::string& key) const {
  auto it = labels_.find(key);
  return it == labels_.end() ? nullptr : it->second;
}

QLabel* CalculatorPage::unitLabel(const std::string& key) const {
  auto it = units_.find(key);
  return it == units_.end() ? nullptr : it->second;
}

QPushButton* CalculatorPage::button(const std::string& action) const {
  auto it = buttons_.find(action);
  return it == buttons_.end() ? nullptr : it->second;
}

QGroupBox* CalculatorPage::group(const std::string& caption) const {
  auto it = groups_.find(caption);
  return it == groups_.end() ? nullptr : it->second;
}

void CalculatorPage::setValue(const std::string& key, double v) {
  const core::FieldDesc* f = desc_.field(key);
  if (!f) return;
  values_.setNum(key, core::storeAs(f->type, v));
  // Only this field's control: the others may hold typed text not read yet.
  writeForm([&key](const core::FieldDesc& fd) { return fd.key == key; });
}

void CalculatorPage::setText(const std::string& key, const std::string& text) {
  values_.setText(key, text);
  writeForm([&key](const core::FieldDesc& fd) { return fd.key == key; });
}

void CalculatorPage::setRadio(const std::string& key, int index) { setValue(key, index); }

bool CalculatorPage::readForm(const FieldFilter& owns) {
  for (const auto& f : desc_.fields) {
    if (f.result || (owns && !owns(f))) continue;
    QWidget* w = control(f.key);
    if (!w) continue;
    switch (f.type) {
      case core::FieldType::Choice:
        values_.setNum(f.key, static_cast<QComboBox*>(w)->currentIndex());
        break;
      case core::FieldType::CheckBox:
        values_.setNum(f.key, static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0);
        break;
      case core::FieldType::Radio: {
        int idx = -1;
        const auto& rbs = radios_[f.key];
        for (size_t i = 0; i < rbs.size(); ++i)
          if (static_cast<QRadioButton*>(rbs[i])->isChecked()) idx = static_cast<int>(i);
        values_.setNum(f.key, idx);
        break;
      }
      case core::FieldType::Text:
        if (auto* c = qobject_cast<QComboBox*>(w))
          values_.setText(f.key, c->currentText().toStdString());
        else if (auto* e = qobject_cast<QLineEdit*>(w))
          values_.setText(f.key, e->text().toStdString());
        break;
      default: {
        auto* e = static_cast<QLineEdit*>(w);
        const std::string text = e->text().toStdString();
        double v = 0;
        bool ok = false;
        if (f.type == core::FieldType::Int) {
          const auto p = core::parseInt(text);
          ok = p.ok();
          v = static_cast<double>(p.value);
        } else {
          const auto p = core::parseNumber(text);
          ok = p.ok();
          v = p.value;
        }
        if (!ok) {
          widgets::showMessage(this, kNumberPrompt);
          e->setFocus();
          e->selectAll();
          return false;
        }
        values_.setNum(f.key, core::storeAs(f.type, v));
        break;
      }
    }
  }
  return true;
}

void CalculatorPage::writeForm(const FieldFilter& owns) {
  for (const auto& f : desc_.fields) {
    if (owns && !owns(f)) continue;
    QWidget* w = control(f.key);
    if (!w) continue;
    switch (f.type) {
      case core::FieldType::Choice: {
        auto* c = static_cast<QComboBox*>(w);
        c->setCurrentIndex(values_.i(f.key));
        break;
      }
      case core::FieldType::CheckBox:
        static_cast<QCheckBox*>(w)->setChecked(values_.i(f.key) != 0);
        break;
      case core::FieldType::Radio: {
        const auto& rbs = radios_[f.key];
        const int idx = values_.i(f.key);
        for (size_t i = 0; i < rbs.size(); ++i)
          static_cast<QRadioButton*>(rbs[i])->setChecked(static_cast<int>(i) == idx);
        break;
      }
      default:
        if (auto* c = qobject_cast<QComboBox*>(w)) {
          c->setEditText(q(core::displayValue(f, values_)));
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
          // A result field that was never computed shows its starting value 0 like any field.
          e->setText(q(core::displayValue(f, values_)));
          e->setCursorPosition(0);
        }
        break;
    }
  }
}

void CalculatorPage::showFailure(const core::CheckFailure& f) {
  widgets::showMessage(this, q(f.message), q(f.caption));
  if (!f.focus.empty())
    if (QWidget* w = control(f.focus)) {
      w->setFocus();
      if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    }
}

void CalculatorPage::showResults(const core::Outcome& o) {
  for (const auto& [key, v] : o.updated_inputs.all()) {
    values_.setNum(key, v.num);
    if (!v.text.empty()) values_.setText(key, v.text);
  }
  for (const auto& [key, v] : o.results.all()) {
    values_.setNum(key, v.num);
    values_.setText(key, v.text);
  }
  writeForm();
  if (result_text_)
    result_text_->setPlainText(q(o.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CalculatorPage::showResultFields(const core::Outcome& o) {
  for (const auto& [key, v] : o.results.all()) {
    const core::FieldDesc* f = desc_.field(key);
    values_.setNum(key, f ? core::storeAs(f->type, v.num) : v.num);
    values_.setText(key, v.text);
  }
  writeForm([&o](const core::FieldDesc& f) { return f.result && o.results.has(f.key); });
}

bool CalculatorPage::runAction(const std::string& action) {
  if (hook_ && hook_->handleAction(*this, action)) return true;
  // An unreadable number stops the compute: results computed from values that the form no
  // longer shows would mislead.
  if (!readForm()) return false;
  if (hook_ && !hook_->beforeCompute(*this, action)) return false;
  if (!desc_.compute) return false;
  core::Outcome o;
  try {
    o = desc_.compute(values_, action);
  } catch (const std::exception& e) {
    widgets::showMessage(this, QString::fromUtf8(e.what()));
    return false;
  }
  if (o.failure) {
    showFailure(*o.failure);
    return false;
  }
  last_inputs_ = values_;
  last_outcome_ = o;
  if (!(hook_ && hook_->showOutcome(*this, action, o))) showResults(o);
  emit computed(q(action));
  return true;
}

}  // namespace app
