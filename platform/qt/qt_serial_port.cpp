#include "platform/qt/qt_serial_port.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>
#include <cstdio>

namespace skarvel {

namespace {

class QtSerialPort : public SerialPort {
  public:
    QtSerialPort() = default;
    ~QtSerialPort() override { close(); }

    QSerialPort port;

    int read_byte(int timeout_ms) override {
        if (pos_ < buffer_.size()) return static_cast<unsigned char>(buffer_[pos_++]);
        buffer_.clear();
        pos_ = 0;
        if (!port.isOpen()) return -1;
        QElapsedTimer timer;
        timer.start();
        for (;;) {
            if (port.bytesAvailable() > 0) {
                buffer_ = port.readAll();
                if (!buffer_.isEmpty()) return static_cast<unsigned char>(buffer_[pos_++]);
            }
            qint64 left = timeout_ms - timer.elapsed();
            if (left <= 0) return -1;
            if (!port.waitForReadyRead(static_cast<int>(left))) {
                if (port.bytesAvailable() > 0) continue;
                auto e = port.error();
                if (e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError ||
                    e == QSerialPort::ReadError) {
                    // The adapter was pulled out (or the pseudo-terminal's other end closed: a
                    // read that fails with nothing to read): the readers end at their next
                    // check instead of spinning on the error.
                    port.close();
                    return -1;
                }
                if (e != QSerialPort::TimeoutError && e != QSerialPort::NoError) port.clearError();
                if (timer.elapsed() >= timeout_ms) return -1;
            }
        }
    }

    bool write(const std::uint8_t* data, std::size_t size) override {
        if (!port.isOpen()) return false;
        qint64 n = port.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
        if (n != static_cast<qint64>(size)) return false;
        while (port.bytesToWrite() > 0)
            if (!port.waitForBytesWritten(1000)) return false;
        return true;
    }

    void discard_input() override {
        buffer_.clear();
        pos_ = 0;
        if (!port.isOpen()) return;
        port.clear(QSerialPort::Input);
        port.readAll();
    }

    bool is_open() const override { return port.isOpen(); }
    bool set_baud_rate(int baud) override {
        discard_input();
        return port.isOpen() && port.setBaudRate(baud);
    }
    void close() override {
        if (port.isOpen()) port.close();
    }

  private:
    QByteArray buffer_;
    qsizetype pos_ = 0;
};

// "ttyUSB10" after "ttyUSB9": the digits at the end compare as numbers.
bool natural_less(const QString& a, const QString& b) {
    auto split = [](const QString& s) {
        int i = static_cast<int>(s.size());
        while (i > 0 && s[i - 1].isDigit()) --i;
        return std::make_pair(s.left(i), s.mid(i).toLongLong());
    };
    return split(a) < split(b);
}

}  // namespace

std::vector<std::string> serial_device_list() {
    std::vector<std::string> out;
#ifndef Q_OS_WIN
    QDir dev("/dev");
    for (const char* pattern : {"ttyUSB*", "ttyACM*", "ttyS*"}) {
        QStringList names = dev.entryList({QString::fromLatin1(pattern)}, QDir::System);
        std::sort(names.begin(), names.end(), natural_less);
        for (const QString& n : names) out.push_back(("/dev/" + n).toStdString());
    }
#endif
    return out;
}

std::string com_port_device(int number, const std::string& device_override) {
    if (!device_override.empty()) return device_override;
#ifdef Q_OS_WIN
    return "\\\\.\\COM" + std::to_string(number);
#else
    auto list = serial_device_list();
    if (number < 1 || number > static_cast<int>(list.size())) return {};
    return list[static_cast<std::size_t>(number - 1)];
#endif
}

std::unique_ptr<SerialPort> open_serial_port(const std::string& device, int baud,
                                             SerialOpenError* error) {
    auto p = std::make_unique<QtSerialPort>();
    if (device.empty()) {
        if (error) {
            error->code = QSerialPort::DeviceNotFoundError;
            error->not_found = true;
            error->text = "no such port";
        }
        return nullptr;
    }
    p->port.setPortName(QString::fromStdString(device));
    if (!p->port.open(QIODevice::ReadWrite)) {
        if (error) {
            error->code = p->port.error();
            error->not_found = p->port.error() == QSerialPort::DeviceNotFoundError;
            error->busy = p->port.error() == QSerialPort::PermissionError;
            error->text = p->port.errorString().toStdString();
        }
        return nullptr;
    }
    p->port.setBaudRate(baud);
    p->port.setDataBits(QSerialPort::Data8);
    p->port.setParity(QSerialPort::NoParity);
    p->port.setStopBits(QSerialPort::OneStop);
    p->port.setFlowControl(QSerialPort::NoFlowControl);
    // The pin signals fail on a pseudo-terminal; that is harmless there.
    p->port.setDataTerminalReady(true);
    p->port.clearError();
    return p;
}

std::vector<SerialPortEntry> list_serial_ports() {
    std::vector<SerialPortEntry> out;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& p : ports) {
        SerialPortEntry e;
#ifdef Q_OS_WIN
        e.device = p.portName().toStdString();
#else
        e.device = p.systemLocation().toStdString();
#endif
        QString text = p.description();
        if (!p.manufacturer().isEmpty() && !text.contains(p.manufacturer()))
            text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + p.manufacturer();
        e.description = text.toStdString();
        out.push_back(std::move(e));
    }
    std::sort(out.begin(), out.end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
        return natural_less(QString::fromStdString(a.device), QString::fromStdString(b.device));
    });
    return out;
}

}  // namespace skarvel
