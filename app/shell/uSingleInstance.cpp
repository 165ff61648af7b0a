#include "uSingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <memory>

namespace {

QString gServerName;

// A second instance sends a few file names: anything longer is not one of ours.
constexpr qint64 kMaxMessage = 1 << 20;

}  // namespace

bool IsMultiInstance(const QStringList& args) {
  for (const QString& a : args)
    if (a.compare(QLatin1String("/multi"), Qt::CaseInsensitive) == 0) return true;
  return false;
}

QStringList FileArguments(const QStringList& args) {
  QStringList names;
  for (const QString& a : args) {
    if (a.isEmpty() || a.compare(QLatin1String("/multi"), Qt::CaseInsensitive) == 0) continue;
    names << QFileInfo(a).absoluteFilePath();
  }
  return names;
}

QByteArray PackFileNames(const QStringList& names) {
  QByteArray message;
  for (const QString& n : names) message += n.toUtf8() + '\r';
  return message;
}

QStringList UnpackFileNames(const QByteArray& message) {
  QStringList names;
  for (const QByteArray& part : message.split('\r'))
    if (!part.isEmpty()) names << QString::fromUtf8(part);
  return names;
}

QString InstanceServerName() {
  if (!gServerName.isEmpty()) return gServerName;
  return QStringLiteral("Kerno-") + QString::number(static_cast<qulonglong>(getuid()));
}

void SetInstanceServerName(const QString& name) { gServerName = name; }

bool HandArgumentsOver(const QStringList& args) {
  return !IsMultiInstance(args) && HandOverToRunningInstance(FileArguments(args));
}

bool HandOverToRunningInstance(const QStringList& names, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(InstanceServerName());
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(PackFileNames(names));
  // The running instance reads until the connection closes.
  const bool sent = socket.waitForBytesWritten(timeoutMs) || socket.bytesToWrite() == 0;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(timeoutMs);
  return sent;
}

TSingleInstance::TSingleInstance(QObject* parent) : QObject(parent), FServer(new QLocalServer(this)) {
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::Listen() {
  const QString name = InstanceServerName();
  if (FServer->listen(name)) return true;
  // A socket left by a program that ended without closing it: nobody answers there.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(300)) return false;
  QLocalServer::removeServer(name);
  return FServer->listen(name);
}

bool TSingleInstance::Listening() const { return FServer->isListening(); }

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = FServer->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] {
      *buffer += socket->readAll();
      if (buffer->size() > kMaxMessage) socket->abort();
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
      *buffer += socket->readAll();
      const QStringList names = buffer->size() <= kMaxMessage ? UnpackFileNames(*buffer) : QStringList();
      buffer->clear();
      // Even without names: a second start brings this frame forward.
      emit FilesReceived(names);
    });
  }
}
