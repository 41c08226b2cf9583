#include "widgets/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace widgets {

bool loadQtTranslations(QCoreApplication& app) {
  if (app.findChild<QTranslator*>(QStringLiteral("qtTranslations"))) return true;
  const QLocale chinese(QLocale::Chinese, QLocale::China);
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
