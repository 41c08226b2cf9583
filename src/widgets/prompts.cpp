#include "widgets/prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>

namespace widgets {
namespace {
MessageSink g_message;
QuestionSink g_question;
ChoiceSink g_choice;
SaveFileSink g_save;
OpenFileSink g_open;
}  // namespace

void setMessageSink(MessageSink sink) { g_message = std::move(sink); }
void setQuestionSink(QuestionSink sink) { g_question = std::move(sink); }
void setChoiceSink(ChoiceSink sink) { g_choice = std::move(sink); }
void setSaveFileSink(SaveFileSink sink) { g_save = std::move(sink); }
void setOpenFileSink(OpenFileSink sink) { g_open = std::move(sink); }

void showMessage(QWidget* parent, const QString& text, const QString& caption) {
  if (g_message) {
    g_message(parent, text, caption);
    return;
  }
  QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
  // A short message still leaves room for the whole caption in the title bar.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(box.fontMetrics().horizontalAdvance(caption) + 140, 0,
                                  QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  box.exec();
}

bool askQuestion(QWidget* parent, const QString& text, const QString& caption) {
  if (g_question) return g_question(parent, text, caption);
  return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

int askChoice(QWidget* parent, const QString& text, const QStringList& buttons,
              const QString& caption) {
  if (buttons.isEmpty()) return -1;
  if (g_choice) return g_choice(parent, text, caption, buttons);
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
  QList<QAbstractButton*> made;
  for (const QString& b : buttons) made << box.addButton(b, QMessageBox::ActionRole);
  box.setDefaultButton(static_cast<QPushButton*>(made.front()));
  box.setEscapeButton(made.back());
  box.exec();
  const qsizetype i = made.indexOf(box.clickedButton());
  return static_cast<int>(i < 0 ? made.size() - 1 : i);
}

QString chooseSaveFile(QWidget* parent, const QString& title, const QString& proposedPath,
                       const QString& filter) {
  if (g_save) return g_save(parent, title, proposedPath, filter);
  QString selected;
  const QString path = QFileDialog::getSaveFileName(parent, title, proposedPath, filter, &selected,
                                                    QFileDialog::DontConfirmOverwrite);
  return path.isEmpty() ? path : withFilterSuffix(path, selected);
}

QString withFilterSuffix(const QString& path, const QString& selectedFilter) {
  if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
  const QRegularExpressionMatch m = pattern.match(selectedFilter);
  return m.hasMatch() ? path + QLatin1Char('.') + m.captured(1) : path;
}

QString replaceQuestion(const QString& fileName) {
  return QStringLiteral("%1 已存在。\n要替换它吗？").arg(fileName);
}

QString chooseFileToWrite(QWidget* parent, const QString& title, const QString& proposedPath,
                          const QString& filter) {
  QString proposed = proposedPath;
  for (;;) {
    const QString path = withFilterSuffix(chooseSaveFile(parent, title, proposed, filter),
                                          filter.section(";;", 0, 0));
    if (path.isEmpty()) return {};
    const QFileInfo info(path);
    if (!info.exists() || askQuestion(parent, replaceQuestion(info.fileName()), title)) return path;
    proposed = path;
  }
}

QString chooseOpenFile(QWidget* parent, const QString& title, const QString& dir,
                       const QString& filter) {
  if (g_open) return g_open(parent, title, dir, filter);
  return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

}  // namespace widgets
