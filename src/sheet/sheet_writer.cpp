#include "sheet/sheet_writer.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "core/file_io.h"

namespace sheet {

namespace {

constexpr const char* kPictureUrl = "sheet://picture.png";
constexpr const char* kProgramName = "kuva环评计算";
constexpr int kResolution = 300;  // dots per inch of the page layout
constexpr double kMarginMm = 15;  // page margins left and right
constexpr double kMarginTopBottomMm = 12;
constexpr double kHeaderFooterMm = 7;  // room for the running header and footer in the margins

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

// The sheet's text font. Ideographs come from a font whose glyphs each stand for one
// character (a glyph shared by an ideograph and a Kangxi radical would copy out as the
// radical); Latin text is set without ligatures so "fi" copies as two letters.
QFont sheetFont(double point_size) {
  QFont font;
  font.setFamilies({QStringLiteral("Droid Sans Fallback"), QStringLiteral("Noto Sans CJK SC")});
  font.setPointSizeF(point_size);
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// The page on which a block's first line starts (or ends, given `bottom`) in a document laid out
// in pages of `page_height`.
int pageOf(const QTextBlock& b, bool bottom, double page_height) {
  const QTextLayout* l = b.layout();
  if (!l || l->lineCount() == 0) return -1;
  const QTextLine line = l->lineAt(0);
  const double y = l->position().y() + line.y() + (bottom ? line.height() : 0);
  return static_cast<int>(y / page_height);
}

// The figures' heading goes with the first figure: when that figure does not fit below the
// heading, the heading starts the figure's page instead of ending the page before it alone.
void keepHeadingWithFigure(QTextDocument& doc, double page_height) {
  doc.pageCount();  // lays the document out
  for (QTextBlock b = doc.firstBlock(); b.isValid(); b = b.next()) {
    bool image = false;
    for (auto it = b.begin(); !it.atEnd() && !image; ++it)
      image = it.fragment().charFormat().isImageFormat();
    if (!image) continue;
    const QTextBlock heading = b.previous();
    if (heading.isValid() && pageOf(heading, false, page_height) != pageOf(b, true, page_height)) {
      QTextBlockFormat f;
      f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
      QTextCursor(heading).mergeBlockFormat(f);
    }
    return;
  }
}

// The image at the size the sheet prints it: as large as on a screen of 96 dpi, at most the text
// width and nine tenths of a page's text height (room for a heading or caption), so it is never
// cut or split across pages. The document draws an image at its size in 96-dpi units times the
// writer's resolution / 96: the pixels are kept at the writer's resolution and marked so (pixel
// ratio). A null image when the bytes are no PNG.
QImage printImage(const std::string& png, const QRect& page, const QSizeF& body) {
  QImage img;
  if (!img.loadFromData(QByteArray::fromStdString(png), "PNG")) return {};
  const double ratio = static_cast<double>(kResolution) / 96.0;
  const double scale = std::min(
      {ratio, static_cast<double>(page.width()) / img.width(), 0.9 * body.height() / img.height()});
  img = img.scaled(std::max(1, static_cast<int>(img.width() * scale)),
                   std::max(1, static_cast<int>(img.height() * scale)), Qt::KeepAspectRatio,
                   Qt::SmoothTransformation);
  img.setDevicePixelRatio(ratio);
  return img;
}

std::string writePdf(const present::CalcSheet& s, const std::string& path,
                     const std::string& picture_png, const std::vector<SheetFigure>& figures) {
  if (!ensureGuiApplication()) return "无法启动绘图（没有图形程序环境）";
  // The target is checked and its temporary file created before the pages are drawn; the PDF is
  // drawn into memory and written in one piece.
  core::AtomicFile file;
  if (std::string e = file.open(path); !e.empty()) return e;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kResolution);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(kMarginMm, kMarginTopBottomMm, kMarginMm, kMarginTopBottomMm),
                       QPageLayout::Millimeter);
    pdf.setTitle(QString::fromStdString(s.title));
    pdf.setCreator(QString::fromUtf8(kProgramName));

    // The text area of a page less the running header and footer.
    const QRect page = pdf.pageLayout().paintRectPixels(kResolution);
    const double band = kHeaderFooterMm / 25.4 * kResolution;
    const QSizeF body(page.width(), page.height() - 2 * band);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&pdf);
    doc.setDefaultFont(sheetFont(9));
    doc.setDocumentMargin(0);
    present::HtmlOptions options;
    options.for_print = true;
    if (!picture_png.empty()) {
      const QImage img = printImage(picture_png, page, body);
      if (!img.isNull()) {
        doc.addResource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(kPictureUrl)), img);
        options.picture_src = kPictureUrl;
      }
    }
    for (size_t i = 0; i < figures.size(); ++i) {
      const QImage img = printImage(figures[i].png, page, body);
      if (img.isNull()) continue;
      const QString url = QStringLiteral("sheet://figure%1.png").arg(i);
      doc.addResource(QTextDocument::ImageResource, QUrl(url), img);
      options.figures.push_back({figures[i].caption, url.toStdString()});
    }
    doc.setHtml(QString::fromStdString(present::sheetToHtml(s, options)));

    doc.setPageSize(body);
    keepHeadingWithFigure(doc, body.height());
    const int pages = doc.pageCount();

    QPainter p(&pdf);
    if (!p.isActive()) return "无法写入 " + path;
    QFont small = sheetFont(7.5);
    const QString title = QString::fromStdString(s.title);
    const QString project = QString::fromStdString(s.project);
    const QString version = QString::fromStdString(s.version);
    for (int i = 0; i < pages; ++i) {
      if (i > 0) pdf.newPage();
      p.save();
      p.translate(0, band - i * body.height());
      doc.drawContents(&p, QRectF(0, i * body.height(), body.width(), body.height()));
      p.restore();
      p.setFont(small);
      p.setPen(QColor(80, 80, 80));
      const QRectF head(0, 0, body.width(), band * 0.8);
      p.drawText(head, Qt::AlignLeft | Qt::AlignTop, title);
      if (!project.isEmpty())
        p.drawText(head, Qt::AlignRight | Qt::AlignTop, QStringLiteral("工程：") + project);
      const double rule_y = band * 0.8;
      p.drawLine(QPointF(0, rule_y), QPointF(body.width(), rule_y));
      const QRectF foot(0, page.height() - band * 0.8, body.width(), band * 0.8);
      p.drawLine(QPointF(0, foot.top()), QPointF(body.width(), foot.top()));
      p.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom,
                 QStringLiteral("第 %1 页 共 %2 页").arg(i + 1).arg(pages));
      p.drawText(foot, Qt::AlignRight | Qt::AlignBottom, version);
    }
    p.end();
  }
  if (std::string e = file.write(buffer.data().toStdString()); !e.empty()) return e;
  return file.commit();
}

}  // namespace

namespace {

std::string writeSheet(present::CalcSheet s, const std::string& path,
                       const std::string& picture_png, const std::vector<SheetFigure>& figures) {
  if (s.version.empty()) s.version = std::string(kProgramName) + " " + KUVA_PROGRAM_VERSION;
  if (endsWith(path, ".html") || endsWith(path, ".htm")) {
    const auto data = [](const std::string& png) {
      return "data:image/png;base64," + QByteArray::fromStdString(png).toBase64().toStdString();
    };
    present::HtmlOptions options;
    if (!picture_png.empty()) options.picture_src = data(picture_png);
    for (const auto& f : figures)
      if (!f.png.empty()) options.figures.push_back({f.caption, data(f.png)});
    return core::writeFileAtomic(path, present::sheetToHtml(s, options));
  }
  return writePdf(s, path, picture_png, figures);
}

}  // namespace

std::string writeSheetFile(present::CalcSheet s, const std::string& path,
                           const std::string& picture_png) {
  return writeSheet(std::move(s), path, picture_png, {});
}

std::string writeSheetFile(present::CalcSheet s, const std::string& path,
                           const std::vector<SheetFigure>& figures) {
  return writeSheet(std::move(s), path, {}, figures);
}

}  // namespace sheet
