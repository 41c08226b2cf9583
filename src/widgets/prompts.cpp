#include "widgets/prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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
  QMessageBox::information(parent, caption, text, QMessageBox::Ok);
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
  return QFileDialog::getSaveFileName(parent, title, proposedPath, filter, nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

QString chooseOpenFile(QWidget* parent, const QString& title, const QString& dir,
                       const QString& filter) {
  if (g_open) return g_open(parent, title, dir, filter);
  return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

}  // namespace widgets
