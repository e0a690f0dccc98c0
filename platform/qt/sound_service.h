// The sound service: records and plays the program's wave files — a runner's "p<id>.wav", a
// class's "g<id>.wav", a club's "k<id>.wav", spoken numbers "<n>.wav" and "ch<n>.wav" — in the
// sound folder of this machine, through Qt Multimedia. A machine without an audio device is
// told so: nothing is reported as played or recorded that was not.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAudioOutput;
class QMediaCaptureSession;
class QMediaPlayer;
class QMediaRecorder;
class QAudioInput;

namespace skarvel {

enum class SoundKind { kRunner, kClass, kClub, kNumber, kTens };

class SoundService : public QObject {
    Q_OBJECT
  public:
    explicit SoundService(QObject* parent = nullptr);
    ~SoundService() override;

    // The folder of the wave files: the user setting "Setup"/"SoundDir", else "c:\wav" on
    // Windows and "wav" in the program's data folder elsewhere.
    static QString folder();
    static void set_folder(const QString& folder);
    // The file of a sound: "p12.wav", "g3.wav", "k5.wav", "7.wav", "ch7.wav" in `folder`.
    static QString file_of(const QString& folder, SoundKind kind, int id);

    // Devices; tests replace them to stand for a machine with or without sound.
    std::function<bool()> has_output;
    std::function<bool()> has_input;

    enum class Outcome { kStarted, kNoDevice, kNoFile, kFailed };
    // Starts playing `file`; kNoDevice / kNoFile when it cannot.
    Outcome play(const QString& file);
    // Starts recording `duration_ms` of sound into `file` (the folder is made when missing).
    Outcome record(const QString& file, int duration_ms);
    bool busy() const;

    // The editors' "Слушать звук" / "Записать звук": the sound of a record in the sound folder,
    // recorded for `duration_ms(kind)`; every outcome goes to `told` (set by the program).
    void listen_to(SoundKind kind, int id);
    void record_sound(SoundKind kind, int id);
    std::function<int(SoundKind)> duration_ms;
    std::function<void(Outcome outcome, const QString& file, bool recording)> told;

  signals:
    // A recording has ended: `ok` false with the recorder's error text.
    void recorded(const QString& file, bool ok, const QString& error);

  private:
    std::unique_ptr<QMediaPlayer> player_;
    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaCaptureSession> session_;
    std::unique_ptr<QAudioInput> input_;
    std::unique_ptr<QMediaRecorder> recorder_;
};

}  // namespace skarvel
