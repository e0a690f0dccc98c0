#include "app/skarvel_view.h"

#include <QCursor>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWheelEvent>
#include <algorithm>

#include "core/cp1251.h"
#include "platform/qt/qt_text.h"

namespace skarvel {

using namespace literals;

namespace {

constexpr int kHeaderY = 3;
constexpr int kFirstRowY = 20;
constexpr int kRowHeight = 17;
const QColor kCursorColor(200, 200, 255);
const QColor kRecordColor(255, 255, 255);
const QColor kEmptyColor(200, 255, 200);
const QColor kOwnCardColor(255, 100, 100);
const QColor kRedColor(255, 0, 0);
const QColor kRuleColor(160, 160, 160);

QFont list_font() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), f.family()});
    f.setStyleHint(QFont::Monospace);
    f.setPixelSize(12);
    return f;
}

}  // namespace

CSkarvelView::CSkarvelView(Competition& competition, Prompts& prompts, QWidget* parent)
    : QWidget(parent), c_(competition), prompts_(&prompts) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(list_font());
    setMinimumSize(200, 100);
}

int CSkarvelView::shown_table() const {
    return c_.view.board ? view::kResultsBoard : c_.view.table;
}

void CSkarvelView::show_table(int table) {
    if (table < 0 || table > view::kResultsBoard) return;
    c_.view.board = table == view::kResultsBoard;
    if (!c_.view.board) {
        c_.view.table = table;
        if (table == kFinishLines) c_.rebuild_number_index();
        set_position(view::keep_visible(position(), visible_row_count()));
    }
    update();
}

int CSkarvelView::cursor_row() const {
    return c_.view.board ? 0 : c_.view.cursor[c_.view.table];
}
int CSkarvelView::top_row() const {
    return c_.view.board ? 0 : c_.view.top[c_.view.table];
}

void CSkarvelView::set_cursor_row(int slot) {
    if (c_.view.board || slot < 0 || slot >= capacity()) return;
    view::Position p = position();
    p.cursor = slot;
    set_position(view::keep_visible(p, visible_row_count()));
}

int CSkarvelView::visible_row_count() const {
    return view::visible_rows(height());
}

void CSkarvelView::reset() {
    swap_row_ = -1;
    entry_ = {};
    set_mouse_locked(false);
    update();
}

view::Position CSkarvelView::position() const {
    int t = c_.view.table;
    return {c_.view.cursor[t], c_.view.top[t]};
}

void CSkarvelView::set_position(view::Position p) {
    int t = c_.view.table;
    int cap = capacity();
    if (cap > 0) {
        p.cursor = std::clamp(p.cursor, 0, cap - 1);
        p.top = std::clamp(p.top, 0, cap - 1);
    }
    c_.view.cursor[t] = p.cursor;
    c_.view.top[t] = p.top;
    update();
}

bool CSkarvelView::occupied(int slot) const {
    return slot_occupied(c_, c_.view.table, slot);
}
int CSkarvelView::capacity() const {
    return table_capacity(c_, c_.view.table);
}

bool CSkarvelView::entry_blocks() const {
    return entry_.active && !c_.view.board && c_.view.table == kFinishLines;
}

void CSkarvelView::changed() {
    c_.modified = true;
    if (on_changed) on_changed();
    update();
}

void CSkarvelView::move_up() {
    if (c_.view.board || entry_blocks()) return;
    set_position(view::move_up(position()));
}

void CSkarvelView::move_down() {
    if (c_.view.board || entry_blocks()) return;
    set_position(view::move_down(position(), capacity(), visible_row_count(),
                                 [this](int s) { return occupied(s); }));
}

void CSkarvelView::page_up() {
    if (c_.view.board || entry_blocks()) return;
    set_position(view::page_up(position(), visible_row_count()));
}

void CSkarvelView::page_down() {
    if (c_.view.board || entry_blocks()) return;
    set_position(view::page_down(
        position(), capacity(), visible_row_count(), [this](int s) { return occupied(s); },
        first_free_slot(c_, c_.view.table)));
}

void CSkarvelView::first_row() {
    if (c_.view.board || entry_blocks()) return;
    set_position(view::first_row());
}

void CSkarvelView::last_row() {
    if (c_.view.board || entry_blocks()) return;
    set_position(
        view::last_row(position(), visible_row_count(), first_free_slot(c_, c_.view.table)));
}

void CSkarvelView::previous_table() {
    if (entry_blocks()) return;
    int t = shown_table();
    if (t > 0) show_table(t - 1);
}

void CSkarvelView::next_table() {
    if (entry_blocks()) return;
    int t = shown_table();
    if (t < view::kResultsBoard) show_table(t + 1);
}

void CSkarvelView::click_at(int y) {
    if (c_.view.board || entry_blocks()) return;
    int row = view::row_at(y, visible_row_count());
    if (row < 0 || top_row() + row >= capacity()) return;
    set_position(view::click_row(
        position(), row, visible_row_count(), [this](int s) { return occupied(s); },
        first_free_slot(c_, c_.view.table)));
}

void CSkarvelView::mark(MarkOp op) {
    if (c_.view.board || entry_blocks()) return;
    int t = c_.view.table;
    std::string_view question = mark_question(t, op, row_ctx_.english);
    if (question.empty() || live_count(c_, t) == 0) return;
    if (!prompts_->ask_yes_no_captioned(question, text_in(row_ctx_.english, Txt::kAttention)))
        return;
    if (apply_mark(c_, t, op)) changed();
}

void CSkarvelView::toggle_mark_and_down() {
    if (c_.view.board || entry_blocks()) return;
    if (!toggle_mark(c_, c_.view.table, cursor_row())) return;
    changed();
    move_down();
}

void CSkarvelView::toggle_finish_flag_and_down() {
    if (c_.view.board || c_.view.table != kFinishLines || entry_blocks()) return;
    if (!toggle_finish_flag(c_, cursor_row())) return;
    changed();
    move_down();
}

void CSkarvelView::swap_press() {
    if (c_.view.board || c_.view.table != kRunners) return;
    if (skarvel::swap_press(c_, swap_row_, cursor_row())) changed();
    update();
}

bool CSkarvelView::find(const std::string& text) {
    if (text.empty() || c_.view.board) return false;
    search_text = text;
    int slot = find_next(c_, c_.view.table, cursor_row(), text);
    if (slot < 0) {
        prompts_->message_captioned(find_failed_message(c_.view.table, row_ctx_.english),
                                    {});  // no caption
        return false;
    }
    set_position({slot, slot});
    return true;
}

void CSkarvelView::set_mouse_locked(bool on) {
    if (on == mouse_locked_) return;
    mouse_locked_ = on;
    if (on) {
        setMouseTracking(true);
        grabMouse();
    } else {
        releaseMouse();
        setMouseTracking(false);
    }
}

void CSkarvelView::set_finish_entry(bool active, int slot, const std::string& typed) {
    entry_.active = active;
    entry_.slot = active ? slot : -1;
    entry_.typed = active ? typed : std::string();
    row_ctx_.entry = entry_;
    if (on_input) on_input();
    update();
}

void CSkarvelView::render_to(QPainter& p, const QRect& client) {
    render_rows(p, client, nullptr);
}

bool CSkarvelView::Shown::same_frame(const Shown& o) const {
    return valid && o.valid && table == o.table && top == o.top && cursor == o.cursor &&
           swap_row == o.swap_row && width == o.width && height == o.height &&
           english == o.english && entry.active == o.entry.active && entry.slot == o.entry.slot &&
           entry.typed == o.entry.typed;
}

CSkarvelView::Shown CSkarvelView::frame_now() const {
    Shown s;
    s.valid = true;
    s.table = shown_table();
    s.top = top_row();
    s.cursor = cursor_row();
    s.swap_row = swap_row_;
    s.width = width();
    s.height = height();
    s.english = row_ctx_.english;
    s.entry = entry_;
    return s;
}

void CSkarvelView::data_changed() {
    Shown now = frame_now();
    if (now.table == view::kResultsBoard || !now.same_frame(shown_)) {
        update();
        return;
    }
    // The same rows on show: work out their cells and repaint the rows that differ.
    view::prepare_paint(c_, now.table, row_ctx_);
    row_ctx_.entry = entry_;
    const int visible = view::visible_rows(height());
    const int cap = capacity();
    for (int r = 0; r < visible && r < static_cast<int>(shown_.rows.size()); ++r) {
        const int slot = shown_.top + r;
        std::vector<view::Cell> cells =
            slot < cap ? view::row_cells(c_, now.table, slot, row_ctx_) : std::vector<view::Cell>{};
        const std::vector<view::Cell>& was = shown_.rows[static_cast<std::size_t>(r)];
        const bool same = cells.size() == was.size() &&
                          std::equal(cells.begin(), cells.end(), was.begin(),
                                     [](const view::Cell& a, const view::Cell& b) {
                                         return a.text == b.text && a.background == b.background;
                                     });
        if (!same) update(QRect(0, kFirstRowY + kRowHeight * r, width(), kRowHeight));
    }
}

void CSkarvelView::render_rows(QPainter& p, const QRect& client, const QRegion* dirty) {
    const bool all = !dirty || dirty->contains(client);
    p.setFont(font());
    const QFontMetrics fm(font());
    const int cw = fm.horizontalAdvance(QLatin1Char('0'));
    const int ascent = fm.ascent();
    const int table = shown_table();
    Shown frame = frame_now();
    frame.width = client.width();
    frame.height = client.height();

    if (table == view::kResultsBoard) {
        p.fillRect(client, Qt::white);
        if (board_) {
            board_->paint(p, client, c_, now ? now() : 0);
        } else {
            p.setPen(Qt::black);
            p.drawText(4, kHeaderY + ascent, qs(text_in(row_ctx_.english, Txt::kBoardTitle)));
        }
        shown_ = Shown{};
        return;
    }
    // A partial paint only when the frame is the one the rows on record were drawn in.
    const bool partial = !all && frame.same_frame(shown_);

    auto cols = view::columns(table);
    std::vector<int> xs;
    xs.reserve(cols.size() + 1);
    int x = 4;
    for (const auto& col : cols) {
        xs.push_back(x);
        x += (col.chars + 1) * cw;
    }
    xs.push_back(std::max(x, client.width()));

    if (!partial || dirty->intersects(QRect(0, 0, client.width(), kFirstRowY))) {
        // Header line.
        p.fillRect(QRect(0, 0, client.width(), kFirstRowY - 1), Qt::white);
        p.setPen(Qt::black);
        for (std::size_t i = 0; i < cols.size(); ++i)
            if (cols[i].header != Txt::kCount)
                p.drawText(xs[i], kHeaderY + ascent - 2,
                           qs(text_in(row_ctx_.english, cols[i].header)));
    }

    view::prepare_paint(c_, table, row_ctx_);
    row_ctx_.entry = entry_;

    const int visible = view::visible_rows(client.height());
    const int cap = capacity();
    const int top = top_row();
    const int cursor = cursor_row();
    if (!partial) {
        // Below the last row, whatever is left of the view.
        const int rows_end = kFirstRowY + kRowHeight * visible;
        if (rows_end < client.height())
            p.fillRect(QRect(0, rows_end, client.width(), client.height() - rows_end), Qt::white);
        frame.rows.assign(static_cast<std::size_t>(visible), {});
    } else {
        frame.rows = std::move(shown_.rows);
        frame.rows.resize(static_cast<std::size_t>(visible));
    }
    for (int r = 0; r < visible; ++r) {
        int slot = top + r;
        int y = kFirstRowY + kRowHeight * r;
        if (partial && !dirty->intersects(QRect(0, y, client.width(), kRowHeight))) continue;
        std::vector<view::Cell> cells =
            slot < cap ? view::row_cells(c_, table, slot, row_ctx_) : std::vector<view::Cell>{};
        ++rows_painted_;
        QColor bg = slot == cursor ? kCursorColor : !cells.empty() ? kRecordColor : kEmptyColor;
        p.fillRect(QRect(0, y, client.width(), kRowHeight), bg);
        p.setPen(kRuleColor);
        p.drawLine(0, y - 1, client.width(), y - 1);
        if (slot == swap_row_ && table == kRunners) {
            p.setPen(Qt::black);
            p.drawRect(QRect(0, y, client.width() - 1, kRowHeight - 1));
        }
        p.setPen(Qt::black);
        for (std::size_t i = 0; i < cells.size() && i < cols.size(); ++i) {
            const view::Cell& cell = cells[i];
            if (cell.background != view::CellBackground::kRow) {
                int w = (i + 1 < cols.size() ? xs[i + 1] : xs.back()) - xs[i] - cw / 2;
                if (cell.background == view::CellBackground::kRed)
                    w = std::max(w, fm.horizontalAdvance(qs(cell.text)) + 2);
                p.fillRect(
                    QRect(xs[i] - 2, y, w, kRowHeight),
                    cell.background == view::CellBackground::kOwnCard ? kOwnCardColor : kRedColor);
            }
            if (!cell.text.empty()) p.drawText(xs[i], y + 1 + ascent, qs(cell.text));
        }
        frame.rows[static_cast<std::size_t>(r)] = std::move(cells);
    }
    shown_ = std::move(frame);
}

void CSkarvelView::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QRegion dirty = e->region();
    render_rows(p, rect(), &dirty);
}

void CSkarvelView::keyPressEvent(QKeyEvent* e) {
    if (key_handler_ && key_handler_(e)) return;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    switch (e->key()) {
        case Qt::Key_Up:
            move_up();
            break;
        case Qt::Key_Down:
            move_down();
            break;
        case Qt::Key_PageUp:
            if (ctrl)
                previous_table();
            else
                page_up();
            break;
        case Qt::Key_PageDown:
            if (ctrl)
                next_table();
            else
                page_down();
            break;
        case Qt::Key_Home:
            if (ctrl)
                first_row();
            else
                QWidget::keyPressEvent(e);
            break;
        case Qt::Key_End:
            if (ctrl)
                last_row();
            else
                QWidget::keyPressEvent(e);
            break;
        case Qt::Key_Insert:
            if (e->modifiers() & Qt::ShiftModifier)
                toggle_finish_flag_and_down();
            else
                toggle_mark_and_down();
            break;
        case Qt::Key_Plus:
            if (keypad)
                mark(MarkOp::kMarkAll);
            else
                QWidget::keyPressEvent(e);
            break;
        case Qt::Key_Minus:
            if (keypad)
                mark(MarkOp::kUnmarkAll);
            else
                QWidget::keyPressEvent(e);
            break;
        case Qt::Key_Asterisk:
            if (keypad)
                mark(MarkOp::kInvertAll);
            else
                QWidget::keyPressEvent(e);
            break;
        case Qt::Key_Space:
            swap_press();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (ctrl) {
                if (on_edit_finish_runner) on_edit_finish_runner();
            } else if (on_edit_row) {
                on_edit_row();
            }
            break;
        case Qt::Key_Delete:
            if (on_delete_row) on_delete_row();
            break;
        case Qt::Key_ScrollLock:
            // Lock keys cannot be window shortcuts; the view passes this one on itself.
            if (on_scroll_lock) on_scroll_lock();
            break;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    if (on_input) on_input();
}

void CSkarvelView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        click_at(static_cast<int>(e->position().y()));
        if (on_input) on_input();
    } else if (e->button() == Qt::RightButton && right_button_) {
        right_button_(false);
    }
}

void CSkarvelView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        int y = static_cast<int>(e->position().y());
        if (view::row_at(y, visible_row_count()) < 0 || c_.view.board) return;
        click_at(y);
        if (on_edit_row) on_edit_row();
    } else if (e->button() == Qt::RightButton && right_button_) {
        right_button_(true);
    }
}

void CSkarvelView::mouseMoveEvent(QMouseEvent* e) {
    if (!mouse_locked_) return;
    // Keep the pointer inside the view while the mouse is locked.
    QPoint pos = e->position().toPoint();
    QPoint clamped(std::clamp(pos.x(), 0, width() - 1), std::clamp(pos.y(), 0, height() - 1));
    if (clamped != pos) QCursor::setPos(mapToGlobal(clamped));
}

void CSkarvelView::wheelEvent(QWheelEvent* e) {
    if (e->angleDelta().y() <= 0)
        move_down();
    else
        move_up();
    if (on_input) on_input();
}

void CSkarvelView::resizeEvent(QResizeEvent*) {
    if (!c_.view.board) {
        view::Position p = position();
        view::Position k = view::keep_visible(p, visible_row_count());
        if (k.cursor != p.cursor || k.top != p.top) set_position(k);
    }
}

}  // namespace skarvel
