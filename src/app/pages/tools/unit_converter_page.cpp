#include "app/pages/tools/unit_converter_page.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <cmath>

#include "app/calculator_page.h"
#include "app/pages/tools/tool_resources.h"
#include "core/format.h"
#include "core/parse.h"
#include "widgets/prompts.h"

namespace app {

namespace {

namespace mt = models::tools;

QString g_path_override;

const QString kCaption = QString::fromUtf8(mt::kConverterCaption);

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }
QString shown(float v) { return q(core::formatFloatField(v)); }

// The default table as shipped in the program's resources.
std::string defaultTableBytes() {
  initToolResources();
  QFile f(QStringLiteral(":/tools/data.ini"));
  if (f.open(QIODevice::ReadOnly)) return f.readAll().toStdString();
  return mt::defaultUnitTableText();
}

bool hasBadCharacters(const QString& name) {
  return name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')) ||
         name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'));
}

QLineEdit* lineEdit(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QLatin1String(name));
  e->setMinimumWidth(80);
  return e;
}

QComboBox* comboBox(const char* name, QWidget* parent) {
  auto* c = new QComboBox(parent);
  c->setObjectName(QLatin1String(name));
  c->setMinimumWidth(110);
  c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return c;
}

}  // namespace

QString unitTablePath() {
  if (!g_path_override.isEmpty()) return g_path_override;
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/data.ini");
}

void setUnitTablePath(const QString& path) { g_path_override = path; }

UnitConverterPanel::UnitConverterPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("unitConverter"));
  build();
}

void UnitConverterPanel::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (!m_loaded) load();
}

void UnitConverterPanel::build() {
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  auto* hint = new QLabel(kUnitHintFile, this);
  hint->setWordWrap(true);
  v->addWidget(hint);
  m_path_label = new QLabel(this);
  m_path_label->setObjectName(QStringLiteral("tablePath"));
  m_path_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_path_label->setWordWrap(true);
  v->addWidget(m_path_label);

  auto* kinds = new QGroupBox(QStringLiteral("单位种类选择"), this);
  auto* kl = new QHBoxLayout(kinds);
  m_kind = comboBox("unitKind", kinds);
  kl->addWidget(m_kind);
  kl->addStretch(1);
  v->addWidget(kinds);

  auto* conv = new QGroupBox(QStringLiteral("单位换算"), this);
  auto* cg = new QGridLayout(conv);
  m_left_value = lineEdit("leftValue", conv);
  m_left_unit = comboBox("leftUnit", conv);
  m_right_value = lineEdit("rightValue", conv);
  m_right_unit = comboBox("rightUnit", conv);
  cg->addWidget(m_left_value, 0, 0);
  cg->addWidget(m_left_unit, 0, 1);
  cg->addWidget(new QLabel(QStringLiteral("<=>"), conv), 0, 2);
  cg->addWidget(m_right_value, 0, 3);
  cg->addWidget(m_right_unit, 0, 4);
  cg->addWidget(new QLabel(kUnitHintConvert, conv), 1, 0, 1, 5);
  cg->setColumnStretch(5, 1);
  v->addWidget(conv);

  auto* addBox = new QGroupBox(QStringLiteral("单位自行添加"), this);
  auto* ag = new QGridLayout(addBox);
  m_add_kind = lineEdit("addKind", addBox);
  m_add_base_value = lineEdit("addBaseValue", addBox);
  m_add_base_value->setText(QStringLiteral("1"));
  m_add_base_value->setReadOnly(true);
  m_add_base_unit = lineEdit("addBaseUnit", addBox);
  m_add_amount = lineEdit("addAmount", addBox);
  m_add_unit = lineEdit("addUnit", addBox);
  const QString labels[] = {QStringLiteral("单位种类"), QStringLiteral("值"),
                            QStringLiteral("基准单位"), QString(),
                            QStringLiteral("值"),       QStringLiteral("单位")};
  QWidget* fields[] = {m_add_kind, m_add_base_value, m_add_base_unit,
                       nullptr,    m_add_amount,     m_add_unit};
  for (int i = 0; i < 6; ++i) {
    if (!fields[i]) {
      ag->addWidget(new QLabel(QStringLiteral("<=>"), addBox), 1, i);
      continue;
    }
    ag->addWidget(new QLabel(labels[i], addBox), 0, i);
    ag->addWidget(fields[i], 1, i);
  }
  m_add = new QPushButton(QStringLiteral("添加"), addBox);
  m_add->setObjectName(QStringLiteral("addButton"));
  ag->addWidget(m_add, 1, 6);
  ag->setColumnStretch(7, 1);
  v->addWidget(addBox);

  connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { applyKind(); });
  connect(m_left_unit, &QComboBox::currentIndexChanged, this, [this] { unitChanged(); });
  connect(m_right_unit, &QComboBox::currentIndexChanged, this, [this] { unitChanged(); });
  connect(m_left_value, &QLineEdit::editingFinished, this, [this] { valueLeft(true); });
  connect(m_right_value, &QLineEdit::editingFinished, this, [this] { valueLeft(false); });
  connect(m_add_kind, &QLineEdit::editingFinished, this, [this] { addKindLeft(); });
  connect(m_add, &QPushButton::clicked, this, [this] { add(); });
}

QString UnitConverterPanel::kind() const { return m_kind->currentText(); }

void UnitConverterPanel::load() {
  m_loaded = true;
  m_path = unitTablePath();
  m_path_label->setText(QStringLiteral("单位表文件：") + QDir::toNativeSeparators(m_path));
  const mt::LoadedUnitTable loaded = mt::loadUnitTableFile(s(m_path), defaultTableBytes());
  if (!loaded.error.empty()) widgets::showMessage(this, q(loaded.error), kCaption);
  if (!loaded.table.refused.empty())
    widgets::showMessage(
        this, q(s(m_path) + " 中有单位未读入：\n" + mt::refusedLinesText(loaded.table)), kCaption);
  m_table = loaded.table;

  const QString previous = kind();
  {
    const QSignalBlocker block(m_kind);
    m_kind->clear();
    for (const auto& k : mt::unitKinds(m_table)) m_kind->addItem(q(k));
    const int at = m_kind->findText(previous);
    m_kind->setCurrentIndex(at >= 0 ? at : (m_kind->count() > 0 ? 0 : -1));
  }
  applyKind();
}

void UnitConverterPanel::applyKind() {
  const std::string k = s(kind());
  const mt::UnitLine* first = mt::firstLineOfKind(m_table, k);
  {
    const QSignalBlocker bl(m_left_unit), br(m_right_unit);
    m_left_unit->clear();
    m_right_unit->clear();
    for (const auto& u : mt::unitsOfKind(m_table, k)) {
      m_left_unit->addItem(q(u));
      m_right_unit->addItem(q(u));
    }
  }
  m_left = m_right = first ? first->base_amount : 0;
  m_left_value->setText(first ? shown(m_left) : QString());
  m_right_value->setText(first ? shown(m_right) : QString());
  m_add_kind->setText(kind());
  m_add_base_unit->setText(first ? q(first->base_unit) : QString());
  m_add_base_unit->setReadOnly(first != nullptr);
}

void UnitConverterPanel::unitChanged() {
  const std::string k = s(kind());
  m_left = mt::unitFactor(m_table, k, s(m_left_unit->currentText())).value_or(0);
  m_right = mt::unitFactor(m_table, k, s(m_right_unit->currentText())).value_or(0);
  m_left_value->setText(shown(m_left));
  m_right_value->setText(shown(m_right));
}

bool UnitConverterPanel::factorsUsable(float lf, float rf) {
  // A factor of 0 would divide by zero (and one that reads as no number at all is 0 too).
  for (auto [f, box] : {std::pair{lf, m_left_unit}, std::pair{rf, m_right_unit}}) {
    if (std::isfinite(f) && f != 0) continue;
    widgets::showMessage(this, q(mt::zeroFactorMessage(s(box->currentText()))), kCaption);
    return false;
  }
  return true;
}

void UnitConverterPanel::valueLeft(bool left_side) {
  if (m_left_unit->count() == 0) return;
  QLineEdit* from = left_side ? m_left_value : m_right_value;
  const auto p = core::parseNumber(s(from->text()));
  if (!p.ok()) {
    widgets::showMessage(this, kNumberPrompt);
    return;
  }
  const std::string k = s(kind());
  const float lf = mt::unitFactor(m_table, k, s(m_left_unit->currentText())).value_or(0);
  const float rf = mt::unitFactor(m_table, k, s(m_right_unit->currentText())).value_or(0);
  if (!factorsUsable(lf, rf)) return;
  if (left_side) {
    m_left = core::storeFloat(p.value);
    m_right = mt::convertUnits(m_left, lf, rf);
    m_right_value->setText(shown(m_right));
  } else {
    m_right = core::storeFloat(p.value);
    m_left = mt::convertUnits(m_right, rf, lf);
    m_left_value->setText(shown(m_left));
  }
}

void UnitConverterPanel::addKindLeft() {
  // A listed kind keeps its own base unit (read-only); a new kind gets one typed by the user.
  const std::string typed = s(m_add_kind->text().trimmed());
  if (const mt::UnitLine* first = mt::firstLineOfKind(m_table, typed)) {
    m_add_base_unit->setText(q(first->base_unit));
    m_add_base_unit->setReadOnly(true);
  } else if (m_add_base_unit->isReadOnly()) {
    m_add_base_unit->clear();
    m_add_base_unit->setReadOnly(false);
  }
}

void UnitConverterPanel::add() {
  addKindLeft();
  const QString kindText = m_add_kind->text().trimmed();
  const QString base = m_add_base_unit->text().trimmed();
  const QString amount = m_add_amount->text().trimmed();
  const QString unit = m_add_unit->text().trimmed();
  auto refuse = [this](const QString& message, QLineEdit* focus) {
    widgets::showMessage(this, message, kCaption);
    focus->setFocus();
  };
  if (amount.isEmpty() || unit.isEmpty()) return refuse(kUnitMissingInput, m_add_amount);
  if (kindText.isEmpty()) return refuse(kUnitMissingInput, m_add_kind);
  if (base.isEmpty()) return refuse(kUnitMissingInput, m_add_base_unit);
  const auto p = core::parseNumber(s(amount));
  if (!(p.ok() && std::isfinite(p.value) && p.value > 0 &&
        std::isfinite(core::storeFloat(p.value))))
    return refuse(kUnitBadAmount, m_add_amount);
  for (QLineEdit* e : {m_add_kind, m_add_base_unit, m_add_unit})
    if (hasBadCharacters(e->text())) return refuse(kUnitBadName, e);

  const std::string err =
      mt::appendUnitLine(s(m_path), mt::formatUnitLine(s(kindText), s(base), s(amount), s(unit)));
  if (!err.empty()) return refuse(q(err), m_add_amount);
  load();
  m_add_amount->clear();
  m_add_unit->clear();
  m_add_base_unit->setReadOnly(true);
}

void UnitConverterPageHook::setup(CalculatorPage& page) {
  // The generic fields serve the command line; the page shows the converter itself.
  if (QGroupBox* g = page.group("单位换算")) g->hide();
  for (const char* a : {"convert", "list"})
    if (QPushButton* b = page.button(a)) b->hide();
  auto* panel = new UnitConverterPanel(&page);
  page.contentLayout()->insertWidget(0, panel);
}

}  // namespace app
