#include <QLocalServer>
#include <QLocalSocket>

#include "app/copy_channel.h"

namespace hopper {

struct CopyChannel::Listener {
  QLocalServer server;
};

CopyChannel::CopyChannel(QObject* parent) : QObject(parent) {}

CopyChannel::~CopyChannel() = default;

bool CopyChannel::Listen(const QString& name) {
  QLocalServer::removeServer(name);  // a channel left by a copy that crashed
  listener_ = std::make_unique<Listener>();
  QLocalServer& server = listener_->server;
  server.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server.listen(name)) {
    listener_.reset();
    return false;
  }
  connect(&server, &QLocalServer::newConnection, this, [this, &server] {
    while (QLocalSocket* knock = server.nextPendingConnection()) {
      knock->deleteLater();  // connecting is all the message there is
      emit Knocked();
    }
  });
  return true;
}

bool CopyChannel::Knock(const QString& name, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name);
  const bool knocked = socket.waitForConnected(timeoutMs);
  socket.disconnectFromServer();
  return knocked;
}

}  // namespace hopper
