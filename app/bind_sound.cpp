// Handlers of the sound commands: "Запись звуков чисел..." records the spoken numbers of a
// range one after another, "Параметры записи/воспроизведения звука..." sets the sound folder
// and the recording lengths (kept in the competition). The service says when the machine has
// no audio device instead of pretending to have recorded.
#include <QDialog>
#include <QDir>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>

#include "app/app_context.h"
#include "platform/qt/dialog_parts.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/sound_service.h"

namespace skarvel {

namespace {

// "Параметры записи/воспроизведения звука": the folder and the three recording lengths.
class SoundOptionsDialog : public QDialog {
  public:
    SoundOptionsDialog(const LanguageTable& lang, const std::int16_t (&durations)[3],
                       QWidget* parent)
        : QDialog(parent) {
        setObjectName(QStringLiteral("SoundOptionsDialog"));
        setWindowTitle(qs(lang.text(Txt::kSoundOptionsTitle)));
        auto* layout = new QVBoxLayout(this);
        auto* form = new QFormLayout;
        layout->addLayout(form);
        folder = new QLineEdit(SoundService::folder(), this);
        folder->setObjectName(QStringLiteral("folder"));
        form->addRow(qs(lang.text(Txt::kSoundFolder)), folder);
        const Txt labels[3] = {Txt::kSoundDurationNumber, Txt::kSoundDurationTens,
                               Txt::kSoundDurationName};
        for (int i = 0; i < 3; ++i) {
            lengths[i] = new QSpinBox(this);
            lengths[i]->setObjectName(QStringLiteral("duration%1").arg(i));
            lengths[i]->setRange(100, 30000);
            lengths[i]->setSingleStep(100);
            lengths[i]->setValue(durations[i] > 0 ? durations[i] : (i == 2 ? 3000 : 2000));
            form->addRow(qs(lang.text(labels[i])), lengths[i]);
        }
        add_dialog_buttons(this, layout, lang.english());
    }
    QLineEdit* folder;
    QSpinBox* lengths[3];
};

// The numbers still to record in the running "Запись звуков чисел...".
struct NumberQueue {
    std::deque<int> numbers;
};

bool parse_range(const std::string& text, int& from, int& to) {
    char dash = 0;
    from = to = 0;
    int n = std::sscanf(text.c_str(), "%d %c %d", &from, &dash, &to);
    if (n == 1)
        to = from;
    else if (n != 3 || dash != '-')
        return false;
    return from >= 0 && to >= from && to - from < 1000;
}

}  // namespace

void bind_sound_commands(AppContext& ctx) {
    using C = CommandId;
    Competition& c = ctx.competition;
    // Owned by the main window.
    auto* sound = new SoundService(ctx.parent());
    sound->setObjectName(QStringLiteral("sound_service"));
    auto queue = std::make_shared<NumberQueue>();

    auto say = [&ctx](Txt id, const QString& file = {}, int ms = 0) {
        QString text = qs(ctx.lang().text(id)).replace(QStringLiteral("%s"), file);
        text.replace(QStringLiteral("%d"), QString::number(ms));
        ctx.show_status(text);
        return text;
    };
    // Records the next number of the queue; the end of each recording starts the next.
    auto next = std::make_shared<std::function<void()>>();
    *next = [&ctx, &c, sound, queue, say] {
        if (queue->numbers.empty()) return;
        int n = queue->numbers.front();
        queue->numbers.pop_front();
        QString file = SoundService::file_of(SoundService::folder(), SoundKind::kNumber, n);
        int ms = c.info.sound_durations[0] > 0 ? c.info.sound_durations[0] : 2000;
        switch (sound->record(file, ms)) {
            case SoundService::Outcome::kStarted:
                say(Txt::kSoundRecording, QDir::toNativeSeparators(file), ms);
                break;
            case SoundService::Outcome::kNoDevice:
                queue->numbers.clear();
                ctx.prompts.message(cp(say(Txt::kSoundNoInput)));
                break;
            default:
                queue->numbers.clear();
                ctx.prompts.message(cp(say(Txt::kSoundFailed, QDir::toNativeSeparators(file))));
                break;
        }
    };
    QObject::connect(sound, &SoundService::recorded, sound,
                     [&ctx, say, next, queue](const QString& file, bool ok, const QString& error) {
                         if (!ok) {
                             queue->numbers.clear();
                             ctx.prompts.message(cp(say(Txt::kSoundFailed, error)));
                             return;
                         }
                         say(Txt::kSoundRecorded, QDir::toNativeSeparators(file));
                         (*next)();
                     });

    // The editors' buttons.
    sound->duration_ms = [&c](SoundKind kind) {
        int i = kind == SoundKind::kNumber ? 0 : kind == SoundKind::kTens ? 1 : 2;
        return c.info.sound_durations[i] > 0 ? int(c.info.sound_durations[i])
                                             : (i == 2 ? 3000 : 2000);
    };
    sound->told = [&ctx, &c, say](SoundService::Outcome outcome, const QString& file,
                                  bool recording) {
        const QString shown = QDir::toNativeSeparators(file);
        switch (outcome) {
            case SoundService::Outcome::kStarted:
                if (recording)
                    say(Txt::kSoundRecording, shown,
                        c.info.sound_durations[2] > 0 ? c.info.sound_durations[2] : 3000);
                else
                    say(Txt::kSoundPlaying, shown);
                break;
            case SoundService::Outcome::kNoDevice:
                ctx.prompts.message(cp(say(recording ? Txt::kSoundNoInput : Txt::kSoundNoOutput)));
                break;
            case SoundService::Outcome::kNoFile:
                ctx.prompts.message(cp(say(Txt::kSoundNoFile, shown)));
                break;
            case SoundService::Outcome::kFailed:
                ctx.prompts.message(cp(say(Txt::kSoundFailed, shown)));
                break;
        }
    };

    ctx.commands.bind(
        C::kRecordSounds,
        [&ctx, queue, next] {
            auto text = ctx.prompts.ask_text(ctx.lang().text(Txt::kSoundNumbersPrompt), "1-20");
            int from = 0, to = 0;
            if (!text || !parse_range(*text, from, to)) return;
            queue->numbers.clear();
            for (int n = from; n <= to; ++n) queue->numbers.push_back(n);
            (*next)();
        },
        [sound] { return CommandState{!sound->busy()}; });

    ctx.commands.bind(C::kSoundOptions, [&ctx, &c] {
        SoundOptionsDialog dialog(ctx.lang(), c.info.sound_durations, ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        SoundService::set_folder(dialog.folder->text());
        for (int i = 0; i < 3; ++i)
            c.info.sound_durations[i] = static_cast<std::int16_t>(dialog.lengths[i]->value());
        ctx.mark_modified();
    });
}

}  // namespace skarvel
