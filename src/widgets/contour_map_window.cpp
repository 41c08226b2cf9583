#include "widgets/contour_map_window.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include "core/file_io.h"
#include "present/contour_export.h"
#include "widgets/contour_map_canvas.h"
#include "widgets/contour_properties_dialog.h"
#include "widgets/prompts.h"

namespace widgets {
namespace {

const QString kPictureFilter = QStringLiteral(
    "支持图像格式(*.bmp *.dib *.emf *.gif *.ico *.jpg *.wmf);;BMP (*.bmp);;DIB (*.dib);;"
    "EMF (*.emf);;GIF (*.gif);;ICO (*.ico);;JPG (*.jpg);;WMF (*.wmf);;All Files (*.*)");
const QString kPictureErrorCaption = QStringLiteral("CPicture Error");

QPushButton* addButton(QHBoxLayout* row, const QString& text) {
  auto* b = new QPushButton(text);
  b->setAutoDefault(false);
  row->addWidget(b);
  return b;
}

}  // namespace

ContourMapWindow::ContourMapWindow(const QString& grd_path, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("等值线图"));
  QPalette white = palette();  // the window and its texts sit on white
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
  m_canvas = new ContourMapCanvas;

  auto* buttons = new QHBoxLayout;
  auto* ok = addButton(buttons, QStringLiteral("确定"));
  auto* cancel = addButton(buttons, QStringLiteral("取消"));
  auto* refresh_button = addButton(buttons, QStringLiteral("刷新"));
  auto* picture = addButton(buttons, QStringLiteral("插入背景图"));
  auto* styles = addButton(buttons, QStringLiteral("线型设置"));
  auto* copy = addButton(buttons, QStringLiteral("复制到剪贴板"));
  auto* save = addButton(buttons, QStringLiteral("保存图片…"));
  auto* geojson = addButton(buttons, QStringLiteral("导出等值线…"));

  auto* group = new QGroupBox(QStringLiteral("背景图透明度设置"));
  m_slider = new QSlider(Qt::Horizontal);
  m_slider->setRange(0, 100);
  m_slider->setValue(0);
  m_transparencyLabel = new QLabel(QStringLiteral("透明度 0 %"));
  auto* slider_row = new QHBoxLayout(group);
  slider_row->addWidget(m_slider, 1);
  slider_row->addWidget(m_transparencyLabel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_canvas, 1);
  layout->addWidget(group);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(refresh_button, &QPushButton::clicked, this, &ContourMapWindow::refresh);
  connect(picture, &QPushButton::clicked, this, &ContourMapWindow::insertBackground);
  connect(styles, &QPushButton::clicked, this, &ContourMapWindow::editLevels);
  connect(copy, &QPushButton::clicked, this, &ContourMapWindow::copyToClipboard);
  connect(save, &QPushButton::clicked, this, &ContourMapWindow::saveImage);
  connect(geojson, &QPushButton::clicked, this, &ContourMapWindow::exportContours);
  connect(m_canvas, &ContourMapCanvas::doubleClicked, this, &ContourMapWindow::editLevels);
  connect(m_slider, &QSlider::valueChanged, this, &ContourMapWindow::setTransparency);
  connect(m_slider, &QSlider::sliderReleased, this, &ContourMapWindow::refresh);

  load(grd_path);
}

ContourMapWindow::~ContourMapWindow() = default;

int ContourMapWindow::blendAlpha(int transparency) {
  return static_cast<int>((100 - transparency) * 2.55);
}

QString ContourMapWindow::transparencyText() const { return m_transparencyLabel->text(); }

// Read the grid, make a new set with the default levels, trace, and give each level its
// default style. A grid that cannot be read leaves the window without a set ("没有数据").
void ContourMapWindow::load(const QString& path) {
  m_canvas->setContours(nullptr, nullptr);
  m_set.reset();
  const std::string file = path.toStdString();
  present::GrdReadDetails details;
  const present::GrdReadStatus status = present::readGrdFile(file, m_grid, &details);
  if (status != present::GrdReadStatus::Ok) {
    showMessage(this, QString::fromStdString(present::grdReadMessage(status, file, &details)));
    return;
  }
  m_set = std::make_unique<present::ContourSet>(m_grid);
  m_set->buildDefaultLevels();
  // A line at zero where the field starts from zero (the edge of a plume) says nothing.
  if (m_grid.zmin == 0.0f && m_grid.zmax > 0.0f) m_set->levels().remove(0.0f);
  retrace();
  m_styles.resetToDefaults(m_set->levels());
  m_canvas->setContours(m_set.get(), &m_styles);
}

void ContourMapWindow::retrace() {
  if (!m_set->traceAll()) {
    m_canvas->clearLines();
    showMessage(this, QString::fromUtf8(present::kMsgTraceAllocFailed));
  }
}

void ContourMapWindow::refresh() {
  update();
  m_canvas->update();
}

void ContourMapWindow::setTransparency(int percent) {
  m_canvas->setBackgroundAlpha(blendAlpha(percent));
  m_transparencyLabel->setText(QStringLiteral("透明度:%1％").arg(percent));
  if (!m_slider->isSliderDown()) m_canvas->update();  // while dragging: on release
}

void ContourMapWindow::insertBackground() {
  m_canvas->showPictureItem();
  const QString path =
      chooseOpenFile(this, QStringLiteral("插入背景图片"), QString(), kPictureFilter);
  if (!path.isEmpty()) {
    m_picturePath = path;
    QFile f(path);
    QImage image;
    if (!f.open(QIODevice::ReadOnly)) {
      showMessage(this, f.errorString(), kPictureErrorCaption);
    } else if (!image.loadFromData(f.readAll())) {
      showMessage(this, QStringLiteral("IPicture interface is not supported\t"),
                  kPictureErrorCaption);
    }
    m_canvas->setBackground(image);
  }
  m_canvas->update();
}

void ContourMapWindow::addLevel(float value, present::Rgb colour, float width_mm) {
  if (!m_set) return;
  m_set->levels().insert(value);
  retrace();
  if (present::LevelStyle* style = m_styles.find(value)) {
    style->colour = colour;
    style->width_mm = width_mm;
  } else {
    m_styles.insertOrdered({value, width_mm, colour});
  }
  m_canvas->setContours(m_set.get(), &m_styles);
}

void ContourMapWindow::editLevels() {
  if (!m_set || m_set->levels().count() == 0) {
    showMessage(this, kMsgNoData);
    return;
  }
  ContourPropertiesDialog d(m_set->levels(), m_grid.zmin, m_grid.zmax, m_styles, this);
  if (d.exec() == QDialog::Accepted) {
    m_set->levels() = d.levels();
    retrace();
  }
  m_canvas->update();  // style edits show even after "取消"
}

void ContourMapWindow::copyToClipboard() {
  QApplication::clipboard()->setImage(m_canvas->toImage());
}

void ContourMapWindow::saveImage() {
  QString path = chooseFileToWrite(this, QStringLiteral("保存图片"), QStringLiteral("等值线图.png"),
                                   QStringLiteral("PNG 图片 (*.png);;SVG 图形 (*.svg)"));
  if (path.isEmpty()) return;
  const QString suffix = QFileInfo(path).suffix().toLower();
  bool ok = false;
  QBuffer bytes;
  bytes.open(QIODevice::WriteOnly);
  if (suffix == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&bytes);
    svg.setSize(m_canvas->size());
    svg.setViewBox(QRect(QPoint(0, 0), m_canvas->size()));
    svg.setResolution(m_canvas->logicalDpiX());
    svg.setTitle(windowTitle());
    QPainter p;
    if (p.begin(&svg)) {
      p.fillRect(QRect(QPoint(0, 0), m_canvas->size()), Qt::white);
      m_canvas->render(p, m_canvas->logicalDpiX(), m_canvas->logicalDpiY());
      ok = p.end();
    }
  } else {
    if (suffix.isEmpty()) path += QStringLiteral(".png");
    ok = m_canvas->toImage().save(&bytes, "PNG");
  }
  // Written in one piece: an existing picture is replaced only by a whole new one.
  std::string why = ok ? core::writeFileAtomic(path.toStdString(),
                                               std::string(bytes.data().constData(),
                                                           static_cast<std::size_t>(bytes.size())))
                       : "无法保存文件：" + path.toStdString();
  if (!why.empty()) showMessage(this, QString::fromStdString(why));
}

void ContourMapWindow::exportContours() {
  if (!m_set) {
    showMessage(this, kMsgNoData);
    return;
  }
  const QString path =
      chooseFileToWrite(this, QStringLiteral("导出等值线"), QStringLiteral("等值线.geojson"),
                        QStringLiteral("GeoJSON (*.geojson *.json)"));
  if (path.isEmpty()) return;
  std::string why;
  if (!present::saveContourGeoJson(*m_set, path.toStdString(), &why))
    showMessage(this, QString::fromStdString(why));
}

}  // namespace widgets
