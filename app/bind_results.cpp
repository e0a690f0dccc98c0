// Handlers of the result commands: the result protocol (menu and Ctrl+P on the finish table),
// the print command of the table on show, and the live results board with its two toggles.
#include <QFont>
#include <QFontMetrics>
#include <QObject>
#include <QPainter>
#include <QRect>

#include "app/app_context.h"
#include "app/bind_exchange.h"
#include "app/skarvel_view.h"
#include "core/time_text.h"
#include "platform/qt/qt_text.h"
#include "punch/split_exports.h"
#include "results/live_board.h"
#include "results/relay_results.h"
#include "results/result_protocol.h"
#include "results/ui/relay_print_dialog.h"
#include "results/ui/result_print_dialog.h"

namespace skarvel {

namespace {

using namespace literals;

// Paints view 6: the marked classes one below the other in columns 450 pixels wide, the rows
// 17 pixels high as in the tables.
class LiveBoardRenderer : public QObject, public ResultsBoardRenderer {
  public:
    LiveBoardRenderer(const LanguageTable& lang, QObject* parent) : QObject(parent), lang_(lang) {}

    void paint(QPainter& p, const QRect& client, Competition& c, std::int32_t now) override {
        constexpr int kRowHeight = 17, kFirstRowY = 20, kHeaderY = 3;
        const std::vector<BoardRow> rows = live_board_rows(c, live_board(c, now));
        QFont plain = p.font();
        QFont bold = plain;
        bold.setBold(true);
        p.setPen(Qt::black);
        p.setFont(bold);
        const int ascent = QFontMetrics(bold).ascent();
        p.drawText(4, kHeaderY + ascent,
                   qs(lang_.text(Txt::kBoardTitle)) + "   " + qs(format_time_text(now, 0)));
        if (rows.empty() && !any_class_marked(c)) {
            // An empty board says how to fill it.
            p.setFont(plain);
            p.drawText(4, kFirstRowY + 1 + ascent, qs(lang_.text(Txt::kBoardNoClassMarked)));
            return;
        }
        const int per_column = std::max(1, (client.height() - kFirstRowY) / kRowHeight);
        const int columns = live_board_columns(client.width());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            int column = static_cast<int>(i) / per_column;
            if (column >= columns) break;  // what does not fit waits for a wider window
            int row = static_cast<int>(i) % per_column;
            int x = 4 + column * kBoardColumnWidth;
            int y = kFirstRowY + row * kRowHeight;
            if (rows[i].heading)
                p.fillRect(QRect(x - 2, y, kBoardColumnWidth - 8, kRowHeight),
                           QColor(200, 200, 255));
            p.setFont(rows[i].heading ? bold : plain);
            p.drawText(x, y + 1 + ascent, qs(rows[i].text));
        }
        p.setFont(plain);
    }

  private:
    static bool any_class_marked(const Competition& c) {
        const auto& t = c.tables.classes;
        for (int i = 0; i < t.capacity() && t[i]; ++i)
            if (t[i]->marked()) return true;
        return false;
    }
    const LanguageTable& lang_;
};

}  // namespace

void bind_results_commands(AppContext& ctx) {
    using C = CommandId;
    CommandRegistry& cmd = ctx.commands;
    CSkarvelView& v = ctx.view;
    Competition& c = ctx.competition;

    cmd.bind(
        C::kPrintResultList,
        [&ctx, &c] {
            if (c.info.relay) {
                RelayPrintDialog relay(RelayPrintSettings::from(c.info), ctx.lang(), ctx.parent());
                if (relay.exec() != QDialog::Accepted) return;
                relay.settings().store(c.info);
                ctx.mark_modified();
                ReportEnv env{ctx.prompts, ctx.state.printer, ctx.state.shell};
                print_relay_protocol(c, relay.settings(), env);
                return;
            }
            ResultPrintDialog dialog(ResultPrintSettings::from(c.info), ctx.lang().english(),
                                     ctx.parent());
            add_iof_export(dialog, ctx, IofExportKind::kResults);
            // The split files use the stored settings (first_n) while the dialog stays open.
            auto split_export = [&ctx, &c](bool osv) {
                return [&ctx, &c, osv] {
                    ReportEnv env{ctx.prompts, ctx.state.printer, ctx.state.shell};
                    if (osv)
                        export_osv(c, c.info.first_n, env);
                    else
                        export_route_csv(c, c.info.first_n, env);
                };
            };
            dialog.set_export_actions(split_export(true), split_export(false));
            if (dialog.exec() != QDialog::Accepted) return;
            dialog.settings().store(c.info);
            ctx.mark_modified();
            ReportEnv env{ctx.prompts, ctx.state.printer, ctx.state.shell};
            run_result_protocol(c, env);
        },
        [&v, &c] {
            return CommandState{!v.finish_entry_active() && c.tables.finish_lines.live_count() > 0};
        });

    cmd.bind(
        C::kSplitsHtml,
        [&ctx, &c] {
            ReportEnv env{ctx.prompts, ctx.state.printer, ctx.state.shell};
            common_splits_html(c, env);
        },
        [&v, &c] {
            return CommandState{!v.finish_entry_active() &&
                                c.tables.card_readouts.live_count() > 0};
        });

    // Ctrl+P prints what belongs to the table on show.
    auto print_command = [&v]() -> C {
        switch (v.shown_table()) {
            case kRunners:
                return C::kPrintStartList;
            case kClubs:
                return C::kPrintClubs;
            case kClasses:
                return C::kPrintClasses;
            case kCourses:
                return C::kPrintCourses;
            case kFinishLines:
                return C::kPrintResultList;
            case kCardReadouts:
                return C::kPrintSplits;
            default:
                return C::kCount;
        }
    };
    cmd.bind(
        C::kPrintTable,
        [&ctx, print_command] {
            C id = print_command();
            if (id != C::kCount) ctx.commands.run(id);
        },
        [&ctx, print_command] {
            C id = print_command();
            return CommandState{id != C::kCount && ctx.commands.state(id).enabled};
        });

    // The board's two toolbar toggles: a ticked flag of the competition each.
    auto bind_toggle = [&ctx, &cmd](C id, std::uint8_t& flag) {
        cmd.bind(
            id,
            [&ctx, &flag] {
                flag = flag ? 0 : 1;
                ctx.mark_modified();
            },
            [&flag] {
                return CommandState{true, flag != 0};
            });
    };
    bind_toggle(C::kBoardWithoutFinish, c.info.board_without_finish);
    bind_toggle(C::kBoardNegativeTimes, c.info.board_negative_times);

    v.set_results_board(new LiveBoardRenderer(ctx.lang(), &v));
}

}  // namespace skarvel
