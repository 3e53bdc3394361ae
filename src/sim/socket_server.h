#pragma once
// Serves emulator interfaces to other processes: one listening SOCK_SEQPACKET
// unix socket "<folder>/<name>.sock" per attached interface. Each accepted
// connection first receives the hello message (identity and report
// descriptor), then belongs to the interface. Detaching removes the socket
// file and hangs up every connection, so a running program sees the interface
// disappear.
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "sim/emulator.h"

namespace kavro::sim {

class FolderPresence final : public Presence {
 public:
  explicit FolderPresence(std::string folder);
  ~FolderPresence() override;  // detaches whatever is still attached
  FolderPresence(const FolderPresence&) = delete;
  FolderPresence& operator=(const FolderPresence&) = delete;

  bool attach(const std::shared_ptr<hid::sim::SimInterface>& iface, std::string* error) override;
  void detach(const std::shared_ptr<hid::sim::SimInterface>& iface) override;
  const std::string& folder() const { return folder_; }
  std::string socketPath(const std::string& name) const;

 private:
  struct Served {
    std::shared_ptr<hid::sim::SimInterface> iface;
    int listenFd = -1;
    std::string path;
  };
  void acceptLoop();
  void acceptOne(int listenFd);
  void close(Served& s);

  std::string folder_;
  std::mutex mutex_;
  std::vector<Served> served_;
  Event wake_{Event::Reset::Auto};
  Event stop_{Event::Reset::Manual};
  std::thread thread_;
};

}  // namespace kavro::sim
