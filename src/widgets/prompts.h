// Modal prompts of the application, routed through replaceable hooks so that
// tests can read the exact text of a message without a blocking dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace widgets {

// The program's name, the caption of most message boxes.
inline const QString kAppCaption = QStringLiteral("kuva环评计算");

// A message box with an OK button only.
using MessageSink =
    std::function<void(QWidget* parent, const QString& text, const QString& caption)>;
// A yes/no question; returns true for yes.
using QuestionSink =
    std::function<bool(QWidget* parent, const QString& text, const QString& caption)>;
// A question with buttons of its own (texts in order, the first the default, the last also
// taken by Escape or the close box); returns the index of the chosen button.
using ChoiceSink = std::function<int(QWidget* parent, const QString& text, const QString& caption,
                                     const QStringList& buttons)>;
// A save-file dialog; returns the chosen path or an empty string when cancelled.
using SaveFileSink = std::function<QString(QWidget* parent, const QString& title,
                                           const QString& proposedPath, const QString& filter)>;
// An open-file dialog; returns the chosen path or an empty string when cancelled.
using OpenFileSink = std::function<QString(QWidget* parent, const QString& title,
                                           const QString& dir, const QString& filter)>;

// Install a hook; passing an empty function restores the real dialog.
void setMessageSink(MessageSink sink);
void setQuestionSink(QuestionSink sink);
void setChoiceSink(ChoiceSink sink);
void setSaveFileSink(SaveFileSink sink);
void setOpenFileSink(OpenFileSink sink);

void showMessage(QWidget* parent, const QString& text, const QString& caption = kAppCaption);
bool askQuestion(QWidget* parent, const QString& text, const QString& caption = kAppCaption);
int askChoice(QWidget* parent, const QString& text, const QStringList& buttons,
              const QString& caption = kAppCaption);
QString chooseSaveFile(QWidget* parent, const QString& title, const QString& proposedPath,
                       const QString& filter);
QString chooseOpenFile(QWidget* parent, const QString& title, const QString& dir,
                       const QString& filter);

// A name typed without an extension gets the first extension of the chosen filter
// ("SVG 图形 (*.svg)" makes "图" into "图.svg").
QString withFilterSuffix(const QString& path, const QString& selectedFilter);
// The question asked before a file is replaced.
QString replaceQuestion(const QString& fileName);
// The save dialog for a file the program is about to write: a name without an extension gets
// the selected filter's (the first filter's, from a test's sink); an existing file is replaced
// only when the user says so, "no" offering the dialog again. Empty when cancelled.
QString chooseFileToWrite(QWidget* parent, const QString& title, const QString& proposedPath,
                          const QString& filter);

}  // namespace widgets
