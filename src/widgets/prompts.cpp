#include "widgets/prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace widgets {
namespace {
MessageSink g_message;
QuestionSink g_question;
SaveFileSink g_save;
OpenFileSink g_open;
}  // namespace

void setMessageSink(MessageSink sink) { g_message = std::move(sink); }
void setQuestionSink(QuestionSink sink) { g_question = std::move(sink); }
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
