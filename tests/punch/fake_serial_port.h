// An in-memory serial line for link tests: bytes queued for reading (a read of an empty queue
// is a time-out at once), every write recorded, and an optional responder that queues a reply
// to each write.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/serial_port.h"

namespace skarvel::test {

class FakeSerialPort : public SerialPort {
  public:
    std::deque<int> input;  // byte values; -1 is a moment of silence (one time-out)
    std::vector<std::vector<std::uint8_t>> writes;
    std::function<void(const std::vector<std::uint8_t>&, FakeSerialPort&)> responder;
    int reads = 0;
    int timeouts = 0;
    int discards = 0;
    bool open = true;
    // When above 0: the port closes after this many reads of an empty line in a row (ends a
    // reader that runs until its port goes).
    int close_when_dry = 0;
    int dry_reads = 0;

    void queue(const std::vector<std::uint8_t>& bytes) {
        input.insert(input.end(), bytes.begin(), bytes.end());
    }

    int read_byte(int) override {
        ++reads;
        if (input.empty()) {
            ++timeouts;
            if (close_when_dry > 0 && ++dry_reads >= close_when_dry) open = false;
            return -1;
        }
        dry_reads = 0;
        int b = input.front();
        input.pop_front();
        if (b < 0) ++timeouts;
        return b;
    }
    bool write(const std::uint8_t* data, std::size_t size) override {
        writes.emplace_back(data, data + size);
        if (responder) responder(writes.back(), *this);
        return true;
    }
    void discard_input() override {
        ++discards;
        // Drops what "has arrived": everything up to the next moment of silence.
        while (!input.empty() && input.front() >= 0) input.pop_front();
    }
    bool is_open() const override { return open; }
    void close() override { open = false; }
};

}  // namespace skarvel::test
