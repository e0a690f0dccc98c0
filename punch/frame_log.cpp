#include "punch/frame_log.h"

#include <chrono>
#include <ctime>

#include "core/calendar.h"
#include "core/file_io.h"

namespace skarvel {

std::string frame_log_path(const std::string& competition_path) {
    std::string base = competition_path;
    auto slash = base.find_last_of("/\\");
    auto dot = base.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.erase(dot);
    return base + ".station.log";
}

std::string log_time_stamp() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm = local_calendar(t);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buf;
}

LoggingSerialPort::LoggingSerialPort(SerialPort& inner, const std::string& log_path)
    : inner_(inner), file_(open_file(log_path, "ab").release()) {
    write_note("port opened");
}

LoggingSerialPort::~LoggingSerialPort() {
    flush_received();
    if (file_) std::fclose(file_);
}

void LoggingSerialPort::write_line(char direction, const std::uint8_t* data, std::size_t size,
                                   const std::string& stamp) {
    if (!file_ || size == 0) return;
    std::string line = stamp;
    line += ' ';
    line += direction;
    static const char* hex = "0123456789ABCDEF";
    for (std::size_t i = 0; i < size; ++i) {
        line += ' ';
        line += hex[data[i] >> 4];
        line += hex[data[i] & 15];
    }
    line += "\r\n";
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void LoggingSerialPort::write_note(const char* note) {
    if (!file_) return;
    std::string line = log_time_stamp() + " -- " + note + "\r\n";
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void LoggingSerialPort::flush_received() {
    write_line('<', received_.data(), received_.size(), received_stamp_);
    received_.clear();
}

int LoggingSerialPort::read_byte(int timeout_ms) {
    int b = inner_.read_byte(timeout_ms);
    if (b < 0) {
        flush_received();
        return b;
    }
    if (received_.empty()) received_stamp_ = log_time_stamp();
    received_.push_back(static_cast<std::uint8_t>(b));
    if (received_.size() >= 64) flush_received();
    return b;
}

bool LoggingSerialPort::write(const std::uint8_t* data, std::size_t size) {
    flush_received();
    write_line('>', data, size, log_time_stamp());
    return inner_.write(data, size);
}

void LoggingSerialPort::discard_input() {
    flush_received();
    write_note("input purged");
    inner_.discard_input();
}

void LoggingSerialPort::close() {
    flush_received();
    write_note("port closed");
    inner_.close();
}

}  // namespace skarvel
