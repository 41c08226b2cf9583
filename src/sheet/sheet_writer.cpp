#include "sheet/sheet_writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <cstdlib>

#include "core/file_io.h"

namespace sheet {

namespace {

constexpr const char* kPictureUrl = "sheet://picture.png";

bool endsWith(const std::string& s, const std::string& tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char c = s[s.size() - tail.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != tail[i]) return false;
  }
  return true;
}

// Fonts and the PDF writer need a GUI application; a command-line program runs one headless.
bool ensureGuiApplication() {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return true;
  if (QCoreApplication::instance()) return false;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "kuvacalc";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  return app != nullptr;
}

std::string writePdf(const present::CalcSheet& s, const std::string& path,
                     const std::string& picture_png) {
  if (!ensureGuiApplication()) return "无法启动绘图（没有图形程序环境）";
  QTextDocument doc;
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setPointSizeF(9);
  doc.setDefaultFont(font);
  std::string src;
  if (!picture_png.empty()) {
    QImage img;
    if (img.loadFromData(QByteArray::fromStdString(picture_png), "PNG")) {
      if (img.width() > 640) img = img.scaledToWidth(640, Qt::SmoothTransformation);
      doc.addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(kPictureUrl)), img);
      src = kPictureUrl;
    }
  }
  doc.setHtml(QString::fromStdString(present::sheetToHtml(s, src)));

  // The target is checked and its temporary file created before the pages are drawn; the PDF is
  // drawn into memory and written in one piece.
  core::AtomicFile file;
  if (std::string e = file.open(path); !e.empty()) return e;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setTitle(QString::fromStdString(s.title));
    pdf.setCreator(QStringLiteral("kuva环评计算"));
    doc.print(&pdf);
  }
  if (std::string e = file.write(buffer.data().toStdString()); !e.empty()) return e;
  return file.commit();
}

}  // namespace

std::string writeSheetFile(const present::CalcSheet& s, const std::string& path,
                           const std::string& picture_png) {
  if (endsWith(path, ".html") || endsWith(path, ".htm")) {
    std::string src;
    if (!picture_png.empty())
      src = "data:image/png;base64," +
            QByteArray::fromStdString(picture_png).toBase64().toStdString();
    return core::writeFileAtomic(path, present::sheetToHtml(s, src));
  }
  return writePdf(s, path, picture_png);
}

}  // namespace sheet
