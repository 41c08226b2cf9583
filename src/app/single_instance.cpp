#include "app/single_instance.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace app {

SingleInstance::SingleInstance(const QString& lock_path)
    : m_path(lock_path), m_lock(std::make_unique<QLockFile>(lock_path)) {
  // Never stale by age: only a lock whose owning process has died is taken over.
  m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
  if (m_lock->tryLock(0)) return true;
  if (m_lock->error() == QLockFile::LockFailedError) {
    // tryLock already takes over locks of dead processes; make sure of it once more.
    qint64 pid = 0;
    QString host, appname;
    const bool readable = m_lock->getLockInfo(&pid, &host, &appname);
    // A lock without a readable owner was left by a run that died while writing it; it is
    // taken over once it is a few seconds old (a starting copy writes its owner at once).
    const QDateTime written = QFileInfo(m_path).lastModified();
    const bool abandoned =
        !readable && written.isValid() && written.secsTo(QDateTime::currentDateTime()) > 5;
    if ((readable && pid <= 0) || abandoned) {
      m_lock->removeStaleLockFile();
      return m_lock->tryLock(0);
    }
  }
  return false;
}

QString SingleInstance::defaultLockPath() {
  // One instance per user, as a session's named mutex gives: a shared temporary folder holds
  // one lock per user id, so one user's running (or crashed) copy never locks out another user.
#ifdef Q_OS_UNIX
  return QDir::temp().filePath(QStringLiteral("kuvacalc-PreventSecondInstance-%1.lock")
                                   .arg(static_cast<qulonglong>(::getuid())));
#else
  return QDir::temp().filePath(QStringLiteral("kuvacalc-PreventSecondInstance.lock"));
#endif
}

}  // namespace app
