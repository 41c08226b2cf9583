// Only one copy of the program runs at a time. A lock file in the temporary folder plays the
// part of a named mutex: held for the life of the process, and a lock left by a crashed run
// (its process is gone) is taken over instead of locking users out.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace app {

inline const QString kSecondInstanceMessage =
    QStringLiteral("该程序你已经运行，请注意查看任务栏等！");

class SingleInstance {
 public:
  // The default lock lives in the temporary folder under the name "PreventSecondInstance",
  // one per user.
  explicit SingleInstance(const QString& lock_path = defaultLockPath());
  // True when this process is the only instance (the lock is now held).
  bool acquire();
  static QString defaultLockPath();

 private:
  QString m_path;
  std::unique_ptr<QLockFile> m_lock;
};

}  // namespace app
