#include "widgets/translations.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

namespace widgets {

namespace {

// Texts of Qt's file dialogs that its Chinese catalogue lacks.
class MissingQtTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    (void)disambiguation;
    (void)n;
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0 &&
        qstrcmp(context, "QFileIconProvider") != 0)
      return {};
    static const QHash<QByteArray, QString> texts = {
        {"Folder", QStringLiteral("文件夹")},     {"Drive", QStringLiteral("驱动器")},
        {"Shortcut", QStringLiteral("快捷方式")}, {"Alias", QStringLiteral("别名")},
        {"Unknown", QStringLiteral("未知")},      {"File", QStringLiteral("文件")},
    };
    return texts.value(QByteArray(source));
  }
};

}  // namespace

namespace {
// The environment's locale variables before useChineseDates() changed them.
struct SavedLocaleVariables {
  bool saved = false;
  QByteArray lc_all, lc_time, lang;
};
SavedLocaleVariables g_saved;

void restoreVariable(const char* name, const QByteArray& value) {
  if (value.isNull())
    qunsetenv(name);
  else
    qputenv(name, value);
}
}  // namespace

void useChineseDates() {
  g_saved = {true, qgetenv("LC_ALL"), qgetenv("LC_TIME"), qgetenv("LANG")};
  // LC_ALL would override the time category: its value becomes the general one (LANG).
  if (!g_saved.lc_all.isEmpty()) {
    qputenv("LANG", g_saved.lc_all);
    qunsetenv("LC_ALL");
  }
  qputenv("LC_TIME", "zh_CN.UTF-8");
}

bool loadQtTranslations(QCoreApplication& app) {
  if (app.findChild<QTranslator*>(QStringLiteral("qtTranslations"))) return true;
  if (g_saved.saved) {
    // Qt has read the system locale (Chinese dates); the C library, which may lack a Chinese
    // locale, goes back to the environment as it was.
    (void)QLocale::system();
    restoreVariable("LC_ALL", g_saved.lc_all);
    restoreVariable("LC_TIME", g_saved.lc_time);
    restoreVariable("LANG", g_saved.lang);
    std::setlocale(LC_ALL, "");
    g_saved.saved = false;
  }
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  // Dates in the file dialogs, file types (from the MIME database) and numbers in Chinese.
  QLocale::setDefault(chinese);
  auto* missing = new MissingQtTexts(&app);
  QCoreApplication::installTranslator(missing);
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* t = new QTranslator(&app);
  t->setObjectName(QStringLiteral("qtTranslations"));
  // "qt" is the catalogue that pulls in qtbase and the other modules' catalogues.
  if (!t->load(chinese, QStringLiteral("qt"), QStringLiteral("_"), dir) &&
      !t->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
    delete t;
    return false;
  }
  return QCoreApplication::installTranslator(t);
}

}  // namespace widgets
