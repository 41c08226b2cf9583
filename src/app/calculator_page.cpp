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
    : QWidget(parent), m_desc(desc), m_hook(makePageHook(desc.id)) {
  setObjectName(q(desc.id));
  applyPageColour(this);
  m_values = core::defaultValues(m_desc);
  build();
  writeForm();
  if (m_hook) m_hook->setup(*this);
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

// The form top to bottom: one group box per field group, the action buttons, then the result
// text (or a stretch that keeps the form at the top).
void CalculatorPage::build() {
  m_layout = new QVBoxLayout(this);
  m_layout->setContentsMargins(6, 6, 6, 6);
  buildFieldRows();
  buildActionBar();
  buildResultArea();
}

// Fields go into their group's box in description order, one row each; a group's box is made
// when its first field comes.
void CalculatorPage::buildFieldRows() {
  std::map<std::string, QGridLayout*> grids;
  std::map<std::string, int> rows;
  for (const auto& f : m_desc.fields) {
    auto it = grids.find(f.group);
    if (it == grids.end()) it = grids.emplace(f.group, addGroup(f.group)).first;
    QGroupBox* box = m_groups[f.group];
    int& row = rows[f.group];
    if (f.type == core::FieldType::Radio)
      addRadioRow(f, box, it->second, row);
    else
      addFieldRow(f, box, it->second, row);
    ++row;
  }
}

QGridLayout* CalculatorPage::addGroup(const std::string& caption) {
  auto* box = new QGroupBox(q(caption), this);
  box->setObjectName(q("group:" + caption));
  auto* g = new QGridLayout(box);
  g->setColumnStretch(3, 1);
  m_layout->addWidget(box);
  m_groups[caption] = box;
  return g;
}

// Label, then the buttons side by side; the field's control is its first button.
void CalculatorPage::addRadioRow(const core::FieldDesc& f, QGroupBox* box, QGridLayout* g,
                                 int row) {
  auto* l = new QLabel(q(f.label), box);
  m_labels[f.key] = l;
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
    m_radios[f.key].push_back(rb);
  }
  h->addStretch(1);
  m_controls[f.key] = m_radios[f.key].empty() ? holder : m_radios[f.key].front();
  g->addWidget(holder, row, 1, 1, 2);
}

// Label, control and unit; a check box carries its own label across the row.
void CalculatorPage::addFieldRow(const core::FieldDesc& f, QGroupBox* box, QGridLayout* g,
                                 int row) {
  QWidget* c = makeControl(f, box);
  m_controls[f.key] = c;
  if (f.type == core::FieldType::CheckBox) {
    g->addWidget(c, row, 0, 1, 3);
    return;
  }
  auto* l = new QLabel(q(f.label), box);
  l->setBuddy(c);
  m_labels[f.key] = l;
  g->addWidget(l, row, 0);
  g->addWidget(c, row, 1);
  auto* u = new QLabel(q(f.unit), box);
  m_units[f.key] = u;
  g->addWidget(u, row, 2);
}

// One button per action, right-aligned, then "参考资料" when the page has a help topic.
void CalculatorPage::buildActionBar() {
  if (m_desc.actions.empty() && m_desc.help_topic.empty()) return;
  auto* bar = new QHBoxLayout;
  bar->addStretch(1);
  for (const auto& a : m_desc.actions) {
    auto* b = new QPushButton(q(a.label), this);
    b->setObjectName(q("action:" + a.name));
    m_buttons[a.name] = b;
    bar->addWidget(b);
    const std::string name = a.name;
    connect(b, &QPushButton::clicked, this, [this, name] { runAction(name); });
  }
  if (!m_desc.help_topic.empty()) {
    auto* b = new QPushButton(QStringLiteral("参考资料"), this);
    b->setObjectName(QStringLiteral("action:help"));
    m_buttons["help"] = b;
    bar->addWidget(b);
    const std::string topic = m_desc.help_topic;
    connect(b, &QPushButton::clicked, this, [this, topic] { showHelpTopic(this, q(topic)); });
  }
  m_layout->addLayout(bar);
}

void CalculatorPage::buildResultArea() {
  if (m_desc.result_text_id == 0) {
    m_layout->addStretch(1);
    return;
  }
  m_result_text = new QTextEdit(this);
  m_result_text->setObjectName(QStringLiteral("resultText"));
  m_result_text->setReadOnly(true);
  m_result_text->setMinimumHeight(120);
  m_layout->addWidget(m_result_text, 1);
}

QWidget* CalculatorPage::control(const std::string& key) const {
  auto it = m_controls.find(key);
  return it == m_controls.end() ? nullptr : it->second;
}

QLabel* CalculatorPage::label(const std::string& key) const {
  auto it = m_labels.find(key);
  return it == m_labels.end() ? nullptr : it->second;
}

QLabel* CalculatorPage::unitLabel(const std::string& key) const {
  auto it = m_units.find(key);
  return it == m_units.end() ? nullptr : it->second;
}

QPushButton* CalculatorPage::button(const std::string& action) const {
  auto it = m_buttons.find(action);
  return it == m_buttons.end() ? nullptr : it->second;
}

QGroupBox* CalculatorPage::group(const std::string& caption) const {
  auto it = m_groups.find(caption);
  return it == m_groups.end() ? nullptr : it->second;
}

void CalculatorPage::setValue(const std::string& key, double v) {
  const core::FieldDesc* f = m_desc.field(key);
  if (!f) return;
  m_values.setNum(key, core::storeAs(f->type, v));
  // Only this field's control: the others may hold typed text not read yet.
  writeForm([&key](const core::FieldDesc& fd) { return fd.key == key; });
}

void CalculatorPage::setText(const std::string& key, const std::string& text) {
  m_values.setText(key, text);
  writeForm([&key](const core::FieldDesc& fd) { return fd.key == key; });
}

void CalculatorPage::setRadio(const std::string& key, int index) { setValue(key, index); }

bool CalculatorPage::readForm(const FieldFilter& owns) {
  for (const auto& f : m_desc.fields) {
    if (f.result || (owns && !owns(f))) continue;
    if (m_hook && m_hook->keepsField(f.key)) continue;
    QWidget* w = control(f.key);
    if (!w) continue;
    switch (f.type) {
      case core::FieldType::Choice:
        m_values.setNum(f.key, static_cast<QComboBox*>(w)->currentIndex());
        break;
      case core::FieldType::CheckBox:
        m_values.setNum(f.key, static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0);
        break;
      case core::FieldType::Radio: {
        int idx = -1;
        const auto& rbs = m_radios[f.key];
        for (size_t i = 0; i < rbs.size(); ++i)
          if (static_cast<QRadioButton*>(rbs[i])->isChecked()) idx = static_cast<int>(i);
        m_values.setNum(f.key, idx);
        break;
      }
      case core::FieldType::Text:
        if (auto* c = qobject_cast<QComboBox*>(w))
          m_values.setText(f.key, c->currentText().toStdString());
        else if (auto* e = qobject_cast<QLineEdit*>(w))
          m_values.setText(f.key, e->text().toStdString());
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
          // A number the field cannot store (1e39 in a single-precision field) is no number.
          ok = p.ok() && core::fitsStorage(f.type, p.value);
          v = p.value;
        }
        if (!ok) {
          widgets::showMessage(this, kNumberPrompt);
          e->setFocus();
          e->selectAll();
          return false;
        }
        m_values.setNum(f.key, core::storeAs(f.type, v));
        break;
      }
    }
  }
  return true;
}

void CalculatorPage::writeForm(const FieldFilter& owns) {
  for (const auto& f : m_desc.fields) {
    if (owns && !owns(f)) continue;
    QWidget* w = control(f.key);
    if (!w) continue;
    // A result field that was never computed holds 0 (and no text) until its first compute.
    if (!m_values.has(f.key)) m_values.setNum(f.key, 0);
    switch (f.type) {
      case core::FieldType::Choice: {
        auto* c = static_cast<QComboBox*>(w);
        c->setCurrentIndex(m_values.i(f.key));
        break;
      }
      case core::FieldType::CheckBox:
        static_cast<QCheckBox*>(w)->setChecked(m_values.i(f.key) != 0);
        break;
      case core::FieldType::Radio: {
        const auto& rbs = m_radios[f.key];
        const int idx = m_values.i(f.key);
        for (size_t i = 0; i < rbs.size(); ++i)
          static_cast<QRadioButton*>(rbs[i])->setChecked(static_cast<int>(i) == idx);
        break;
      }
      default:
        if (auto* c = qobject_cast<QComboBox*>(w)) {
          c->setEditText(q(core::displayValue(f, m_values)));
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
          // A result field that was never computed shows its starting value 0 like any field.
          e->setText(q(core::displayValue(f, m_values)));
          e->setCursorPosition(0);
        }
        break;
    }
  }
}

void CalculatorPage::showFailure(const core::CheckFailure& f) {
  widgets::showMessage(this, q(f.message), q(f.caption));
  if (!f.focus.empty() && m_hook && m_hook->focusField(*this, f.focus)) return;
  if (!f.focus.empty())
    if (QWidget* w = control(f.focus)) {
      w->setFocus();
      if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
    }
}

void CalculatorPage::showResults(const core::Outcome& o) {
  for (const auto& [key, v] : o.updated_inputs.all()) {
    m_values.setNum(key, v.num);
    if (!v.text.empty()) m_values.setText(key, v.text);
  }
  for (const auto& [key, v] : o.results.all()) {
    m_values.setNum(key, v.num);
    m_values.setText(key, v.text);
  }
  writeForm();
  if (m_result_text)
    m_result_text->setPlainText(q(o.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CalculatorPage::showResultFields(const core::Outcome& o) {
  for (const auto& [key, v] : o.results.all()) {
    const core::FieldDesc* f = m_desc.field(key);
    m_values.setNum(key, f ? core::storeAs(f->type, v.num) : v.num);
    m_values.setText(key, v.text);
  }
  writeForm([&o](const core::FieldDesc& f) { return f.result && o.results.has(f.key); });
}

bool CalculatorPage::runAction(const std::string& action) {
  if (m_hook && m_hook->handleAction(*this, action)) return true;
  // An unreadable number stops the compute: results computed from values that the form no
  // longer shows would mislead.
  if (!readForm()) return false;
  if (m_hook && !m_hook->beforeCompute(*this, action)) return false;
  if (!m_desc.compute) return false;
  core::Outcome o;
  try {
    o = m_desc.compute(m_values, action);
  } catch (const std::exception& e) {
    widgets::showMessage(this, QString::fromUtf8(e.what()));
    return false;
  }
  if (o.failure) {
    showFailure(*o.failure);
    return false;
  }
  m_last_inputs = m_values;
  m_last_outcome = o;
  if (!(m_hook && m_hook->showOutcome(*this, action, o))) showResults(o);
  emit computed(q(action));
  return true;
}

}  // namespace app
