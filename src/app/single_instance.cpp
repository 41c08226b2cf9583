#include "app/single_instance.h"

#include <QDir>

namespace app {

SingleInstance::SingleInstance(const QString& lock_path) : lock_(std::make_unique<QLockFile>(lock_path)) {
  // Never stale by age: only a lock whose owning process has died is taken over.
  lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
  if (lock_->tryLock(0)) return true;
  if (lock_->error() == QLockFile::LockFailedError) {
    // tryLock already takes over locks of dead processes; make sure of it once more.
    qint64 pid = 0;
    QString host, appname;
    if (lock_->getLockInfo(&pid, &host, &appname) && pid <= 0) {
      lock_->removeStaleLockFile();
      return lock_->tryLock(0);
    }
  }
  return false;
}

QString SingleInstance::defaultLockPath() {
  return QDir::temp().filePath(QStringLiteral("kuvacalc-PreventSecondInstance.lock"));
}

}  // namespace app
