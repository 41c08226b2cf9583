// The bottom bar of a page that runs a long calculation in the background: 计算, its progress,
// 取消, a status line and 导出计算书. The page connects the buttons; started() and stopped()
// switch them over for a run.
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace widgets {

class RunBar : public QWidget {
 public:
  // `computeName`: the object name of the 计算 button (tests and scripts find it by it).
  RunBar(const QString& computeName, QWidget* parent);

  QPushButton* computeButton() const { return m_compute; }
  QPushButton* cancelButton() const { return m_cancel; }
  QPushButton* sheetButton() const { return m_sheet; }
  QProgressBar* progress() const { return m_progress; }  // 0 ... 1000
  QLabel* status() const { return m_status; }

  // A run starts: 计算 off, 取消 on, the progress back to 0, "正在计算…".
  void started();
  // The run has ended, whatever its outcome: 计算 on, 取消 off.
  void stopped();
  // The run was cancelled: the previous results stay, and the bar says so.
  void showCancelled();

 private:
  QPushButton* m_compute;
  QProgressBar* m_progress;
  QPushButton* m_cancel;
  QLabel* m_status;
  QPushButton* m_sheet;
};

}  // namespace widgets
