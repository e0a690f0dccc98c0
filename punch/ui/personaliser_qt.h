// "Персонализация...": the write of one card's personal data on a worker thread. The worker
// opens the station port, writes the 32 words, reads them back and closes the port; the window
// never waits for it and hears the outcome through `finished` on its own thread.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/port_registry.h"
#include "punch/personal_data.h"

namespace skarvel {

class PersonaliserQt : public QObject {
    Q_OBJECT
  public:
    explicit PersonaliserQt(QObject* parent = nullptr);
    ~PersonaliserQt() override;

    // Starts writing `block` on `device`; false when a write is running already. `com_number`
    // names the port in the message of a port that cannot be opened. `claim` holds the port in
    // the register of held ports; the worker lets go of it once the port is closed.
    bool start(const std::string& device, int baud, int com_number, const PersonalDataBlock& block,
               std::shared_ptr<PortClaim> claim = nullptr);
    bool running() const { return thread_ != nullptr; }
    // Stops a running write and waits for the worker (the card is left as it is).
    void stop();

    // Test hook: the pacing of the writes.
    PersonaliseTiming timing;

  signals:
    // The write ended: `port_error` is -1 when the port opened (then `result` tells), else the
    // system's error code of the failed opening.
    void finished(int port_error, int com_number, skarvel::PersonaliseResult result);

  private:
    std::unique_ptr<QThread> thread_;
    std::mutex link_mutex_;
    StationLink* link_ = nullptr;
    std::atomic<bool> stop_{false};
};

}  // namespace skarvel
