// An existing control file read into the further prediction page: stacks (vertical, capped,
// horizontal), volumes, areas (rectangular, polygon, circular) and lines with their rates, the
// discrete receptors as protection targets, the met files and the urban option. A file with
// several pollutants holds one source group per pollutant (and per case, for the decks this page
// writes: "N01", "A01", ...); each group's rates become that pollutant's emission column, and the
// copies of one source in the groups become one row.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableWidget>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/calculator_page.h"
#include "app/pages/air/prediction/air_prediction_page.h"
#include "core/file_io.h"
#include "widgets/paste_table.h"
#include "widgets/plan_view.h"
#include "widgets/prompts.h"

namespace app {

using namespace airpred;

namespace {

const QString kCaption = QStringLiteral("AERMOD进一步预测");

struct Src {
  QString id, type;
  QStringList loc, par, verts;
};

QString at(const QStringList& l, int i) { return i < l.size() ? l[i] : QString(); }

double ringArea(const QStringList& pts) {
  std::vector<std::pair<double, double>> v;
  for (const QString& p : pts) {
    const QStringList xy = p.split(' ');
    v.emplace_back(xy[0].toDouble(), xy[1].toDouble());
  }
  double a = 0;
  for (size_t i = 0; i < v.size(); ++i)
    a += v[i].first * v[(i + 1) % v.size()].second - v[(i + 1) % v.size()].first * v[i].second;
  return std::fabs(a) / 2;
}

// A source as a table row: which table, its fixed cells, and the factor from its deck rate to
// the whole source's g/s (areas and lines are given per m²). False for a kind the page lacks.
bool rowOf(const Src& s, bool& stack, QStringList& cells, double& factor) {
  factor = 1;
  if (s.type == QStringLiteral("POINT") || s.type == QStringLiteral("POINTCAP") ||
      s.type == QStringLiteral("POINTHOR")) {
    stack = true;
    cells = {s.id,
             at(s.loc, 0),
             at(s.loc, 1),
             at(s.loc, 2),
             at(s.par, 1),
             at(s.par, 4),
             at(s.par, 2),
             at(s.par, 3),
             s.type == QStringLiteral("POINTCAP")   ? QStringLiteral("加盖")
             : s.type == QStringLiteral("POINTHOR") ? QStringLiteral("水平")
                                                    : QStringLiteral("竖直")};
    return true;
  }
  stack = false;
  if (s.type == QStringLiteral("AREACIRC") || s.type == QStringLiteral("LINE")) {
    const bool circle = s.type == QStringLiteral("AREACIRC");
    const double size = at(s.par, 2).toDouble();
    QString coords = at(s.loc, 0) + QLatin1Char(' ') + at(s.loc, 1);
    if (circle) {
      factor = std::acos(-1.0) * size * size;
    } else {
      coords += QStringLiteral("; ") + at(s.loc, 2) + QLatin1Char(' ') + at(s.loc, 3);
      factor = std::hypot(at(s.loc, 2).toDouble() - at(s.loc, 0).toDouble(),
                          at(s.loc, 3).toDouble() - at(s.loc, 1).toDouble()) *
               size;
    }
    cells = {s.id,         circle ? QStringLiteral("圆形面源") : QStringLiteral("线源"),
             coords,       at(s.loc, circle ? 2 : 4),
             at(s.par, 1), at(s.par, 2),
             QString()};
    return true;
  }
  if (s.type != QStringLiteral("VOLUME") && !s.type.startsWith(QStringLiteral("AREA")))
    return false;
  const bool vol = s.type == QStringLiteral("VOLUME");
  QString coords = at(s.loc, 0) + QLatin1Char(' ') + at(s.loc, 1);
  if (!vol) {
    QStringList pts;
    if (s.type == QStringLiteral("AREAPOLY"))
      for (int i = 0; i + 1 < s.verts.size(); i += 2) pts << s.verts[i] + ' ' + s.verts[i + 1];
    if (s.type == QStringLiteral("AREA")) {
      // A rectangle from its corner (x, y), sides along x and y turned clockwise by the angle.
      const double x0 = at(s.loc, 0).toDouble(), y0 = at(s.loc, 1).toDouble();
      const double dx = at(s.par, 2).toDouble();
      const double dy = s.par.size() > 3 ? at(s.par, 3).toDouble() : dx;
      const double a = at(s.par, 4).toDouble() * std::acos(-1.0) / 180;
      for (const auto& [u, v] : {std::pair{0.0, 0.0}, {dx, 0.0}, {dx, dy}, {0.0, dy}})
        pts << QString::number(x0 + u * std::cos(a) + v * std::sin(a), 'f', 3) + ' ' +
                   QString::number(y0 - u * std::sin(a) + v * std::cos(a), 'f', 3);
    }
    if (pts.size() < 3) return false;
    coords = pts.join(QStringLiteral("; "));
    factor = ringArea(pts);  // g/(s·m²) to g/s
  }
  cells = {s.id,
           vol ? QStringLiteral("体源") : QStringLiteral("面源"),
           coords,
           at(s.loc, 2),
           at(s.par, 1),
           vol ? at(s.par, 2) : QString(),
           vol ? at(s.par, 3) : QString()};
  return true;
}

}  // namespace

bool AirPredictionPageHook::importDeck(const QString& path) {
  std::string content;
  const core::FileRead read = core::readRegularFile(path.toStdString(), content);
  if (read.status != core::ReadStatus::Ok) {
    widgets::showMessage(
        m_page, QString::fromStdString(core::describeRead(read, path.toStdString(), "输入文件")),
        kCaption);
    return false;
  }
  std::vector<Src> srcs;
  std::vector<std::pair<QString, QStringList>> groups;  // in the file's order, ALL left out
  struct Rec {
    QString name, x, y, flag;
  };
  std::vector<Rec> recs;
  bool named_targets = false;
  QString pending_target, sfc, pfl, population, roughness, pollutant = QStringLiteral("OTHER");
  std::map<int, QString> pollutant_names;   // of the page's own decks: "** POLLUTANT 01 SO2"
  std::map<QString, QString> source_names;  // "** SOURCE S001 P1"
  auto find = [&srcs](const QString& id) -> Src* {
    for (auto& s : srcs)
      if (s.id == id) return &s;
    return nullptr;
  };
  const QDir base = QFileInfo(path).dir();
  for (const QString& raw : QString::fromStdString(content).split(QLatin1Char('\n'))) {
    const QStringList w = raw.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.size() >= 3 && w[0] == QStringLiteral("**")) {
      if (w[1] == QStringLiteral("POLLUTANT") && w.size() >= 4)
        pollutant_names[w[2].toInt()] = w.mid(3).join(' ');
      else if (w[1] == QStringLiteral("SOURCE") && w.size() >= 4)
        source_names[w[2]] = w.mid(3).join(' ');
      else if (w[1] == QStringLiteral("TARGET"))
        pending_target = w.mid(2).join(' '), named_targets = true;
      continue;
    }
    if (w.size() < 2 || w[0].startsWith(QStringLiteral("**"))) continue;
    const QString kw = (w[0].size() == 2 ? w[1] : w[0]).toUpper();
    const QStringList a = w.mid(w[0].size() == 2 ? 2 : 1);
    if (kw == QStringLiteral("POLLUTID") && !a.isEmpty()) pollutant = a[0];
    if (kw == QStringLiteral("LOCATION") && a.size() >= 4) {
      srcs.push_back({a[0], a[1].toUpper(), a.mid(2), {}, {}});
    } else if (kw == QStringLiteral("SRCPARAM") && a.size() >= 2) {
      if (Src* s = find(a[0])) s->par = a.mid(1);
    } else if (kw == QStringLiteral("AREAVERT") && a.size() >= 3) {
      if (Src* s = find(a[0])) s->verts += a.mid(1);
    } else if (kw == QStringLiteral("SRCGROUP") && !a.isEmpty() &&
               a[0].toUpper() != QStringLiteral("ALL")) {
      auto it = std::find_if(groups.begin(), groups.end(),
                             [&](const auto& g) { return g.first == a[0]; });
      if (it == groups.end()) it = groups.insert(groups.end(), {a[0], {}});
      it->second += a.mid(1);  // a group continued on further lines
    } else if (kw == QStringLiteral("DISCCART") && a.size() >= 2) {
      recs.push_back({pending_target, a[0], a[1], a.size() >= 5 ? a[4] : QString()});
    } else if (kw == QStringLiteral("SURFFILE") && !a.isEmpty()) {
      sfc = base.absoluteFilePath(a[0]);
    } else if (kw == QStringLiteral("PROFFILE") && !a.isEmpty()) {
      pfl = base.absoluteFilePath(a[0]);
    } else if (kw == QStringLiteral("URBANOPT") && !a.isEmpty()) {
      population = a[0];
      if (a.size() >= 3) roughness = a[2];
    }
    pending_target.clear();
  }
  if (srcs.empty()) {
    widgets::showMessage(m_page, QStringLiteral("%1 中没有源（LOCATION）。").arg(path), kCaption);
    return false;
  }
  // The emission columns: a pollutant per group ("N01"/"A01" of the page's own decks name the
  // case and the pollutant), or the deck's one pollutant.
  struct Column {
    int pollutant = 0;
    bool abnormal = false;
  };
  QStringList pollutants;
  std::map<QString, Column> column_of;
  static const QRegularExpression own(QStringLiteral("^([NA])(\\d\\d)$"));
  auto pollutantIndex = [&pollutants](const QString& name) {
    if (!pollutants.contains(name)) pollutants << name;
    return static_cast<int>(pollutants.indexOf(name));
  };
  for (const auto& [id, members] : groups) {
    const QRegularExpressionMatch m = own.match(id);
    if (m.hasMatch()) {
      const int n = m.captured(2).toInt();
      const QString name = pollutant_names.count(n) ? pollutant_names[n]
                                                    : QStringLiteral("污染物%1").arg(m.captured(2));
      column_of[id] = {pollutantIndex(name), m.captured(1) == QStringLiteral("A")};
    } else {
      column_of[id] = {pollutantIndex(id), false};
    }
  }
  if (pollutants.isEmpty()) pollutants << pollutant;
  // One row per source: the page's copies "N01S001", "A02S001" of one source share "S001";
  // other files' copies share the kind, place and parameters.
  static const QRegularExpression copy(QStringLiteral("^[NA]\\d\\d(S\\d{3})$"));
  struct Row {
    bool stack = false;
    QStringList cells;
    std::vector<double> rates;  // normal, abnormal per pollutant
  };
  std::vector<Row> rows;
  std::map<QString, size_t> key_row;
  for (const Src& s : srcs) {
    Row row;
    double factor = 1;
    if (!rowOf(s, row.stack, row.cells, factor)) continue;
    const QRegularExpressionMatch m = copy.match(s.id);
    const QString key = m.hasMatch() ? m.captured(1)
                                     : s.type + '|' + s.loc.join(' ') + '|' +
                                           s.par.mid(1).join(' ') + '|' + s.verts.join(' ');
    auto [it, fresh] = key_row.emplace(key, rows.size());
    if (fresh) {
      if (m.hasMatch()) row.cells[0] = source_names.count(key) ? source_names[key] : key;
      row.rates.assign(2 * static_cast<size_t>(pollutants.size()), 0);
      rows.push_back(row);
    }
    const double q = at(s.par, 0).toDouble() * factor;
    Row& target = rows[it->second];
    if (groups.empty()) target.rates[0] += q;
    for (const auto& [id, members] : groups)
      if (members.contains(s.id)) {
        const Column c = column_of[id];
        target.rates[2 * static_cast<size_t>(c.pollutant) + (c.abnormal ? 1 : 0)] += q;
      }
  }
  cancel();
  m_filling = true;
  m_pollutants->setRowCount(0);
  m_pollutants->setRowCount(static_cast<int>(pollutants.size()));
  const bool first = m_grade->currentIndex() == 1;
  for (int p = 0; p < pollutants.size(); ++p) {
    m_pollutants->setItem(p, 0, new QTableWidgetItem(pollutants[p]));
    // The standard's limits where the pollutant is in it; any other is left for the user to
    // fill (a run without a limit is refused with the pollutant named).
    if (const ap::StandardRow* s = ap::findStandard(pollutants[p].toStdString())) {
      const ap::Limits& l = first ? s->grade1 : s->grade2;
      auto put = [&](int c, double v) {
        if (v > 0) m_pollutants->setItem(p, c, new QTableWidgetItem(QString::number(v, 'g', 12)));
      };
      put(1, l.h1), put(2, l.h8), put(3, l.h24), put(4, l.annual), put(5, s->percentile);
    }
  }
  // The file's rates are g/s at K and m/s.
  m_temp_unit->setCurrentIndex(0);
  m_exit_unit->setCurrentIndex(0);
  m_rate_unit->setCurrentIndex(0);
  m_filling = false;
  syncEmissionColumns();
  m_filling = true;
  m_stacks->setRowCount(0);
  m_others->setRowCount(0);
  m_targets->setRowCount(0);
  for (const Row& row : rows) {
    QTableWidget* t = row.stack ? m_stacks : m_others;
    const int r = t->rowCount();
    t->setRowCount(r + 1);
    QStringList cells = row.cells;
    for (double q : row.rates) cells << QString::number(q, 'g', 10);
    for (int c = 0; c < cells.size() && c < t->columnCount(); ++c)
      t->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  for (const Rec& rec : recs) {
    if (named_targets && rec.name.isEmpty()) continue;  // the page's grid and protection cells
    const int i = m_targets->rowCount();
    m_targets->setRowCount(i + 1);
    const QStringList cells = {rec.name.isEmpty() ? QStringLiteral("R%1").arg(i + 1) : rec.name,
                               rec.x, rec.y, rec.flag};
    for (int c = 0; c < cells.size(); ++c) m_targets->setItem(i, c, new QTableWidgetItem(cells[c]));
  }
  if (!population.isEmpty()) setting("population")->setText(population);
  if (!roughness.isEmpty()) setting("roughness")->setText(roughness);
  m_filling = false;
  if (!sfc.isEmpty() && !pfl.isEmpty()) loadMet(sfc, pfl);
  refreshPlan();
  m_plan->fitAll();
  return true;
}

}  // namespace app
