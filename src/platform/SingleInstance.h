#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QLocalServer;

namespace zq {

// Keeps a second copy of the program from running on the same installation. A lock file in the user's runtime
// folder decides who runs (a lock left behind by a crashed run is taken over); the running copy listens on a
// local socket so that a later start can ask it to come to the front before that later start ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // installation: what makes two starts "the same program" (the program's folder).
    explicit SingleInstance(const QString& installation, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is to run. Only then does it listen for later starts. When the lock cannot be
    // taken for any reason other than a running copy (an unwritable runtime folder), the program runs anyway.
    bool tryAcquire();
    bool isPrimary() const { return m_primary; }
    // Asks the running copy to come to the front; false when it could not be reached.
    bool requestActivation();

    QString lockFilePath() const;
    QString serverName() const;

signals:
    // A later start asked this copy to come to the front.
    void activationRequested();

private:
    void onNewConnection();

    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_primary = false;
};

} // namespace zq
