// Binds the marked-route penalty commands ("присвоить штраф 0/60/...", "Читать штраф из
// содержимого ЧИПов...") and the two corrections of read cards ("Скорректировать время в
// считанных ЧИПАх", "Удалить КП из считанного"). The logic is in punch/card_corrections.h;
// every change is marked modified and repainted.
#include <QSpinBox>
#include <cstdlib>
#include <string>

#include "app/app_context.h"
#include "app/skarvel_view.h"
#include "core/text_format.h"
#include "platform/qt/qt_text.h"
#include "punch/card_corrections.h"
#include "punch/ui/penalty_dialogs.h"

namespace skarvel {

namespace {

// A control code typed in reply to `text`; 0 when empty, cancelled or not a code.
int control_code(AppContext& ctx, const std::optional<std::string>& text) {
    if (!text || text->empty()) return 0;
    ctx.view.search_text = *text;
    char* end = nullptr;
    long code = std::strtol(text->c_str(), &end, 10);
    if (end == text->c_str() || *end != '\0' || code < 0 || code > 255) {
        ctx.prompts.message(ctx.lang().text(Txt::kShiftBadControl));
        return 0;
    }
    return static_cast<int>(code);
}

}  // namespace

void bind_correction_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    Competition& c = ctx.competition;
    auto changed = [&ctx] {
        ctx.mark_modified();
        ctx.repaint();
    };
    // Penalties for everybody at once exist for the kinds that add penalty minutes.
    auto penalty_kinds = [&c] {
        return CommandState{c.info.competition_kind == 1 || c.info.competition_kind == 2};
    };

    const struct {
        CommandId id;
        int value;
        Txt question;
    } for_everybody[] = {{C::kPenalty0, 0, Txt::kPenaltyClearAll},
                         {C::kPenalty60, 60, Txt::kPenaltySetAll60}};
    for (const auto& k : for_everybody) {
        cmd.bind(
            k.id,
            [&ctx, &c, changed, k] {
                if (!ctx.prompts.ask_yes_no(ctx.lang().text(k.question))) return;
                set_all_penalties(c, k.value);
                changed();
            },
            penalty_kinds);
    }

    // "Присвоение штрафа": opens again after each OK until it is closed.
    cmd.bind(C::kPenaltySet, [&ctx, &c, changed] {
        c.rebuild_number_index();
        auto look_up = [&c](int number, std::string& name, int& penalty) {
            const Runner* r = c.runner_by_number(number);
            if (!r) return false;
            name = std::string(field_text(r->name));
            penalty = r->penalty;
            return true;
        };
        bool entered = false;
        for (;;) {
            PenaltyEntryDialog dialog(ctx.lang(), look_up, ctx.parent());
            if (dialog.exec() != QDialog::Accepted) break;
            const PenaltyEntry outcome = enter_penalty(c, dialog.number(), dialog.penalty());
            if (outcome == PenaltyEntry::kNoRunner) {
                ctx.prompts.message(ctx.lang().text(Txt::kNoRunnerWithNumber));
                continue;
            }
            entered = true;
            if (outcome == PenaltyEntry::kSetNoFinishLine)
                ctx.prompts.message(ctx.lang().text(Txt::kPenaltyNoFinishLine));
        }
        if (entered) changed();
    });

    cmd.bind(C::kPenaltyFromReadouts, [&ctx, &c, changed] {
        PenaltyControlDialog dialog(ctx.lang(), ctx.parent());
        if (dialog.exec() != QDialog::Accepted) return;
        const int control = dialog.control->value(), interval = dialog.interval->value();
        if (!ctx.prompts.ask_yes_no(
                strf_view(ctx.lang().text(Txt::kPenaltyFromCardsAsk), control, interval)))
            return;
        const int counted = penalties_from_readouts(c, control, interval);
        changed();
        ctx.show_status(qs(strf_view(ctx.lang().text(Txt::kPenaltyFromCardsDone), counted)));
    });

    cmd.bind(C::kCorrectReadoutTimes, [&ctx, &c, changed] {
        const int control = control_code(
            ctx,
            ctx.prompts.ask_text(ctx.lang().text(Txt::kShiftWhichControl), ctx.view.search_text));
        if (control == 0) return;
        std::optional<std::string> text = ctx.prompts.ask_text(ctx.lang().text(Txt::kShiftBy), "");
        if (!text || text->empty()) return;
        std::optional<std::int32_t> shift = parse_time_shift(*text);
        if (!shift) {
            ctx.prompts.message(ctx.lang().text(Txt::kShiftBadTime));
            return;
        }
        const int shifted = shift_control_times(c, control, *shift);
        changed();
        ctx.show_status(qs(strf_view(ctx.lang().text(Txt::kShiftDone), shifted)));
    });

    // The question first, then the code in the "Поиск" dialog with its remembered text.
    cmd.bind(C::kRemoveControlFromReadout, [&ctx, &c, changed] {
        if (!ctx.prompts.ask_yes_no(ctx.lang().text(Txt::kRemoveWhichControl))) return;
        const int control = control_code(ctx, ctx.prompts.ask_find_text(ctx.view.search_text));
        if (control == 0) return;
        const int removed = remove_control_punches(c, control);
        changed();
        ctx.show_status(qs(strf_view(ctx.lang().text(Txt::kRemoveDone), removed)));
    });
}

}  // namespace skarvel
