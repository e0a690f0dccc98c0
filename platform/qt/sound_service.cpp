#include "platform/qt/sound_service.h"

#include <QAudioDevice>
#include <QAudioInput>
#include <QAudioOutput>
#include <QDir>
#include <QFileInfo>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QMediaFormat>
#include <QMediaPlayer>
#include <QMediaRecorder>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace skarvel {

SoundService::SoundService(QObject* parent) : QObject(parent) {
    has_output = [] { return !QMediaDevices::audioOutputs().isEmpty(); };
    has_input = [] { return !QMediaDevices::audioInputs().isEmpty(); };
}

SoundService::~SoundService() = default;

QString SoundService::folder() {
    QString dir = QSettings("Skarvel", "Skarvel").value("Setup/SoundDir").toString();
    if (!dir.isEmpty()) return dir;
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\wav");
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/wav");
#endif
}

void SoundService::set_folder(const QString& folder) {
    QSettings("Skarvel", "Skarvel").setValue("Setup/SoundDir", folder);
}

QString SoundService::file_of(const QString& folder, SoundKind kind, int id) {
    const char* prefix = kind == SoundKind::kRunner  ? "p"
                         : kind == SoundKind::kClass ? "g"
                         : kind == SoundKind::kClub  ? "k"
                         : kind == SoundKind::kTens  ? "ch"
                                                     : "";
    return QDir(folder).filePath(QString::fromLatin1(prefix) + QString::number(id) +
                                 QStringLiteral(".wav"));
}

bool SoundService::busy() const {
    return recorder_ && recorder_->recorderState() == QMediaRecorder::RecordingState;
}

void SoundService::listen_to(SoundKind kind, int id) {
    QString file = file_of(folder(), kind, id);
    Outcome outcome = play(file);
    if (told) told(outcome, file, false);
}

void SoundService::record_sound(SoundKind kind, int id) {
    QString file = file_of(folder(), kind, id);
    Outcome outcome = record(file, duration_ms ? duration_ms(kind) : 3000);
    if (told) told(outcome, file, true);
}

SoundService::Outcome SoundService::play(const QString& file) {
    if (!QFileInfo::exists(file)) return Outcome::kNoFile;
    if (!has_output()) return Outcome::kNoDevice;
    if (!player_) {
        player_ = std::make_unique<QMediaPlayer>();
        output_ = std::make_unique<QAudioOutput>();
        player_->setAudioOutput(output_.get());
    }
    player_->stop();
    player_->setSource(QUrl::fromLocalFile(file));
    player_->play();
    return player_->error() == QMediaPlayer::NoError ? Outcome::kStarted : Outcome::kFailed;
}

SoundService::Outcome SoundService::record(const QString& file, int duration_ms) {
    if (!has_input()) return Outcome::kNoDevice;
    if (busy()) return Outcome::kFailed;
    QDir().mkpath(QFileInfo(file).absolutePath());
    session_ = std::make_unique<QMediaCaptureSession>();
    input_ = std::make_unique<QAudioInput>();
    recorder_ = std::make_unique<QMediaRecorder>();
    session_->setAudioInput(input_.get());
    session_->setRecorder(recorder_.get());
    QMediaFormat format(QMediaFormat::Wave);
    format.setAudioCodec(QMediaFormat::AudioCodec::Wave);
    recorder_->setMediaFormat(format);
    recorder_->setOutputLocation(QUrl::fromLocalFile(file));
    QMediaRecorder* rec = recorder_.get();
    connect(rec, &QMediaRecorder::recorderStateChanged, this,
            [this, rec, file](QMediaRecorder::RecorderState state) {
                if (state != QMediaRecorder::StoppedState) return;
                bool ok = rec->error() == QMediaRecorder::NoError;
                emit recorded(file, ok, rec->errorString());
            });
    recorder_->record();
    if (recorder_->error() != QMediaRecorder::NoError) return Outcome::kFailed;
    QTimer::singleShot(std::max(1, duration_ms), rec, [rec] { rec->stop(); });
    return Outcome::kStarted;
}

}  // namespace skarvel
