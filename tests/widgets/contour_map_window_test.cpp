// The contour map window and its dialogs, offscreen.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "present/grid_data.h"
#include "widgets/contour_map_canvas.h"
#include "widgets/contour_map_window.h"
#include "widgets/contour_properties_dialog.h"
#include "widgets/line_style_dialog.h"
#include "widgets/prompts.h"

using namespace widgets;

namespace {

struct Shown {
  QString text, caption;
};

// Writes a field of nx × ny nodes: a bump of height zmax at the centre, over the given extent.
QString writeBump(const QString& dir, int nx, int ny, float xmax, float ymax, float zmax) {
  present::GridData g;
  g.nx = nx;
  g.ny = ny;
  g.xmin = -xmax / 2;
  g.xmax = xmax / 2;
  g.ymin = -ymax / 2;
  g.ymax = ymax / 2;
  g.zmax = zmax;
  for (int i = 0; i < ny; ++i)
    for (int j = 0; j < nx; ++j) {
      const double u = (j - (nx - 1) / 2.0) / nx, v = (i - (ny - 1) / 2.0) / ny;
      g.z.push_back(static_cast<float>(zmax * std::exp(-8 * (u * u + v * v))));
    }
  const QString path = dir + QStringLiteral("/result.grd");
  present::writeGrdFile(g, path.toStdString());
  return path;
}

}  // namespace

class ContourMapWindowTest : public QObject {
  Q_OBJECT

  std::vector<Shown> m_shown;
  QTemporaryDir m_dir;

 private slots:
  void init() {
    m_shown.clear();
    setMessageSink([this](QWidget*, const QString& t, const QString& c) {
      m_shown.push_back({t, c});
    });
  }
  void cleanup() {
    setMessageSink({});
    setSaveFileSink({});
    setOpenFileSink({});
  }

  void blendAlphaTruncates() {
    QCOMPARE(ContourMapWindow::blendAlpha(100), 0);
    QCOMPARE(ContourMapWindow::blendAlpha(50), 127);
    QCOMPARE(ContourMapWindow::blendAlpha(0), 254);  // 2.55 is stored slightly below 2.55
  }

  void missingFileOpensEmptyWindow() {
    const QString path = m_dir.path() + QStringLiteral("/none.grd");
    ContourMapWindow w(path);
    QCOMPARE(m_shown.size(), std::size_t(1));
    QCOMPARE(m_shown[0].text, QStringLiteral("Open") + path + QStringLiteral("error!!"));
    QVERIFY(!w.contourSet());
    w.editLevels();
    QCOMPARE(m_shown.back().text, QStringLiteral("没有数据"));
  }

  void opensTracesAndStyles() {
    ContourMapWindow w(writeBump(m_dir.path(), 41, 31, 400, 300, 0.5f));
    QVERIFY(m_shown.empty());
    QVERIFY(w.contourSet());
    const int n = w.contourSet()->levels().count();
    QVERIFY(n >= 9);
    // The field starts from zero: a line at zero (its edge) is no level of the map.
    QVERIFY(w.contourSet()->levels().at(0) > 0);
    QCOMPARE(w.styles().count(), n);
    QCOMPARE(int(w.contourSet()->lines().size()), n);
    QCOMPARE(w.transparencyText(), QStringLiteral("透明度 0 %"));
    QCOMPARE(w.canvas()->backgroundAlpha(), 255);
    w.transparencySlider()->setValue(50);
    QCOMPARE(w.transparencyText(), QStringLiteral("透明度:50％"));
    QCOMPARE(w.canvas()->backgroundAlpha(), 127);
    if (qEnvironmentVariableIsSet("KUVA_SHOT")) {
      w.resize(780, 640);
      w.grab().save(qEnvironmentVariable("KUVA_SHOT"));
    }
  }

  // A grid wider than high is scaled by its width and centred in the map item.
  void wideGridIsScaledByWidthAndCentred() {
    ContourMapWindow w(writeBump(m_dir.path(), 21, 6, 1000, 100, 1));
    const double dpi = 96;
    const QPoint lo = w.canvas()->mapWorld(-500, -50, dpi, dpi);
    const QPoint hi = w.canvas()->mapWorld(500, 50, dpi, dpi);
    const QRect item = w.canvas()->itemRect(ContourMapCanvas::MapItem);  // 460 × 410 px
    const int width_l = static_cast<int>(std::lround(item.width() * 100 / dpi));
    QVERIFY2(std::abs((hi.x() - lo.x()) - width_l) <= 2,
             qPrintable(QString::number(hi.x() - lo.x())));
    const double centre_x = (item.left() + item.width() / 2.0) * 100 / dpi;
    const double centre_y = -(item.top() + item.height() / 2.0) * 100 / dpi;
    QVERIFY(std::abs((lo.x() + hi.x()) / 2.0 - centre_x) <= 2);
    QVERIFY(std::abs((lo.y() + hi.y()) / 2.0 - centre_y) <= 2);
  }

  // With one level the legend has one row 20 units (0.2 inch) below the legend item's top.
  void legendRowSitsTwentyUnitsBelowTop() {
    ContourMapWindow w(writeBump(m_dir.path(), 11, 11, 10, 10, 0));  // z max 0: one level
    QCOMPARE(w.styles().count(), 1);
    const QImage img = w.canvas()->toImage();
    const QRect legend = w.canvas()->itemRect(ContourMapCanvas::LegendItem);
    const int y =
        legend.top() + static_cast<int>(std::lround(20 * w.canvas()->logicalDpiY() / 100.0));
    const QColor c = img.pixelColor(legend.left() + 10, y);
    QVERIFY2(c.red() < 80 && c.green() < 80, qPrintable(c.name()));  // black default style
    QCOMPARE(img.pixelColor(legend.left() + 10, y - 8), QColor(Qt::white));
  }

  void copySaveAndExport() {
    ContourMapWindow w(writeBump(m_dir.path(), 21, 21, 100, 100, 1));
    w.copyToClipboard();
    QCOMPARE(QApplication::clipboard()->image().size(), w.canvas()->size());

    QString target;
    setSaveFileSink(
        [&](QWidget*, const QString&, const QString&, const QString&) { return target; });
    target = m_dir.path() + QStringLiteral("/map.png");
    w.saveImage();
    QCOMPARE(QImage(target).size(), w.canvas()->size());
    target = m_dir.path() + QStringLiteral("/map.svg");
    w.saveImage();
    QFile svg(target);
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray svg_text = svg.readAll();
    QVERIFY(svg_text.contains("<svg"));
    QVERIFY(svg_text.contains("<polyline") || svg_text.contains("<path"));
    target = m_dir.path() + QStringLiteral("/lines.geojson");
    w.exportContours();
    QFile json(target);
    QVERIFY(json.open(QIODevice::ReadOnly));
    QVERIFY(json.readAll().startsWith("{\"type\": \"FeatureCollection\""));
    QVERIFY(m_shown.empty());
  }

  void backgroundPictureAndItsErrors() {
    ContourMapWindow w(writeBump(m_dir.path(), 11, 11, 10, 10, 1));
    const QString picture = m_dir.path() + QStringLiteral("/back.jpg");
    QImage blue(50, 50, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(picture, "JPG"));
    QString chosen = picture;
    setOpenFileSink([&](QWidget*, const QString& title, const QString&, const QString&) {
      return title == QStringLiteral("插入背景图片") ? chosen : QString();
    });
    w.insertBackground();
    QVERIFY(m_shown.empty());
    QVERIFY(w.canvas()->hasPictureItem());
    QColor c = w.canvas()->toImage().pixelColor(15, 15);
    QVERIFY2(c.blue() > 200 && c.red() < 60, qPrintable(c.name()));
    w.transparencySlider()->setValue(100);  // fully transparent: white ground
    QCOMPARE(w.canvas()->toImage().pixelColor(15, 15), QColor(Qt::white));

    chosen = m_dir.path() + QStringLiteral("/missing.jpg");
    w.insertBackground();
    QCOMPARE(m_shown.back().caption, QStringLiteral("CPicture Error"));
    chosen = m_dir.path() + QStringLiteral("/result.grd");  // not a picture
    w.insertBackground();
    QCOMPARE(m_shown.back().text, QStringLiteral("IPicture interface is not supported\t"));
  }

  void propertiesDialogMessages() {
    present::ContourLevels levels = present::defaultLevels(0, 0.5f);
    present::LevelStyleTable styles;
    styles.resetToDefaults(levels);
    ContourPropertiesDialog d(levels, 0, 0.5f, styles);
    QCOMPARE(d.table()->rowCount(), levels.count());
    QCOMPARE(d.table()->item(1, 0)->text(), QStringLiteral("0.05"));

    d.valueEdit()->setText(QStringLiteral("0.6"));
    d.addLevel();
    QCOMPARE(m_shown.back().text, QStringLiteral("等级值数据超出范围"));
    d.valueEdit()->setText(QStringLiteral("0.1000005"));  // within 1e-6 of the shown "0.1"
    d.addLevel();
    QCOMPARE(m_shown.back().text, QStringLiteral("等级值已经存在,请重新输入!"));
    d.valueEdit()->setText(QStringLiteral("abc"));
    d.addLevel();
    QCOMPARE(m_shown.back().text, kMsgEnterNumber);
    QCOMPARE(int(m_shown.size()), 3);
    QCOMPARE(d.levels().count(), levels.count());

    d.valueEdit()->setText(QStringLiteral("0.12"));
    d.addLevel();
    QCOMPARE(d.levels().count(), levels.count() + 1);
    QCOMPARE(d.table()->item(3, 0)->text(), QStringLiteral("0.12"));
    QCOMPARE(styles.entries()[3].value, 0.12f);  // style inserted at the same row
    QCOMPARE(styles.entries()[3].colour, (present::Rgb{0, 0, 0}));

    d.table()->clearSelection();
    d.deleteLevels();
    QCOMPARE(m_shown.back().text, QStringLiteral("请选中行后再进行删除！"));
    d.table()->selectRow(3);
    d.deleteLevels();
    QCOMPARE(d.levels().count(), levels.count());
    QCOMPARE(styles.count(), levels.count());
    QVERIFY(!styles.find(0.12f));
  }

  // Above the last style entry a level is appended without the repeat check; below it, a
  // value within 1e-6 of a shown one is refused. Range limits themselves are accepted.
  void addingAboveTheLastStyleAppendsWithoutRepeatCheck() {
    present::ContourLevels levels;
    for (float v : {0.1f, 0.2f}) levels.insert(v);
    present::LevelStyleTable styles;
    styles.resetToDefaults(levels);
    ContourPropertiesDialog d(levels, 0, 1, styles);
    d.valueEdit()->setText(QStringLiteral("0.2000005"));
    d.addLevel();
    QVERIFY(m_shown.empty());
    QCOMPARE(d.levels().count(), 3);
    QCOMPARE(styles.count(), 3);
    QCOMPARE(styles.entries()[2].value, 0.2000005f);
    d.valueEdit()->setText(QStringLiteral("0.1000005"));
    d.addLevel();
    QCOMPARE(m_shown.back().text, QStringLiteral("等级值已经存在,请重新输入!"));
    for (const char* limit : {"0", "1"}) {
      d.valueEdit()->setText(QString::fromLatin1(limit));
      d.addLevel();
    }
    QCOMPARE(d.levels().values(), (std::vector<float>{0, 0.1f, 0.2f, 0.2000005f, 1}));
    QCOMPARE(int(m_shown.size()), 1);
  }

  // The point-source marker is a red disc; its caption "点源" is written in black.
  void sourceCaptionIsBlack() {
    ContourMapWindow w(writeBump(m_dir.path(), 21, 21, 100, 100, 0));  // flat: no lines
    const double dpi = w.canvas()->logicalDpiX();
    const QImage img = w.canvas()->toImage();
    const QPoint o = w.canvas()->mapWorld(0, 0, dpi, dpi);  // logical, y up
    // The caption's top sits 27 units above the origin; look at the band of text below that.
    const int x0 = static_cast<int>((o.x() + 2) * dpi / 100);
    const int y0 = static_cast<int>(-(o.y() + 27) * dpi / 100);
    int dark = 0, red = 0;
    for (int y = y0; y < y0 + 14; ++y)
      for (int x = x0; x < x0 + 30; ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.red() < 100 && c.green() < 100) ++dark;
        if (c.red() > 180 && c.green() < 80) ++red;
      }
    QVERIFY2(dark > 5, qPrintable(QString::number(dark)));
    QCOMPARE(red, 0);
  }

  // Editing a level's value moves its style with it, so rows, styles and legend stay paired.
  void editedLevelKeepsItsStyle() {
    present::ContourLevels levels;
    for (float v : {1.0f, 2.0f, 3.0f}) levels.insert(v);
    present::LevelStyleTable styles;
    styles.resetToDefaults(levels);
    ContourPropertiesDialog d(levels, 0, 10, styles);
    d.setRowStyle(0, 1.5f, {0, 0, 255});
    d.setRowValue(0, 2.5f);
    QCOMPARE(d.levels().values(), (std::vector<float>{2.0f, 2.5f, 3.0f}));
    QCOMPARE(styles.styleFor(2.5f).colour, (present::Rgb{0, 0, 255}));
    QCOMPARE(styles.entries()[1].value, 2.5f);  // the table is back in level order
    d.setRowValue(1, 3.0f);
    QCOMPARE(m_shown.back().text, QStringLiteral("等级值已经存在,请重新输入!"));
    QCOMPARE(d.levels().count(), 3);
  }

  void lineStyleSpinSteps() {
    LineStyleDialog d(0.3f, {255, 0, 0});
    QCOMPARE(d.widthEdit()->text(), QStringLiteral("0.30"));
    d.stepWidth(1);
    QCOMPARE(d.widthEdit()->text(), QStringLiteral("0.40"));
    d.widthEdit()->setText(QStringLiteral("4.95"));
    d.stepWidth(1);  // 5.05 is beyond 5 mm: unchanged
    QCOMPARE(d.widthEdit()->text(), QStringLiteral("4.95"));
    d.widthEdit()->setText(QStringLiteral("0.1"));
    d.stepWidth(-1);
    QCOMPARE(d.widthEdit()->text(), QStringLiteral("0.00"));
    d.stepWidth(-1);
    QCOMPARE(d.widthEdit()->text(), QStringLiteral("0.00"));
    d.widthEdit()->setText(QStringLiteral("1.25"));
    d.accept();
    QCOMPARE(d.widthMm(), 1.25f);
  }
};

QTEST_MAIN(ContourMapWindowTest)
#include "contour_map_window_test.moc"
