// CSkarvelView: the list view. It shows one of the six record tables (or the live results
// board) as rows of text with a cursor row, and handles navigation, marking, swapping and the
// mouse. What it shows and how the cursor moves is in app/view_logic.h; this class draws and
// routes input.
//
// Hooks for the other parts of the program:
//   - set_key_handler(f): f(QKeyEvent*) is asked first for every key press in the view and
//     returns true when it consumed the key. The record editors use it for the digits and
//     Backspace of finish number entry, Esc, the heat digit on the runners table and the
//     quick-edit characters ` Ё ё. While finish number entry is on, call
//     set_finish_entry(true, slot, typed) so the row shows the typed number; the view then
//     ignores its own navigation, marking and table switching (the command handlers check
//     finish_entry_active() too).
//   - Enter and a left double click on a row run CommandId::kEditRecord (double click:
//     after moving the cursor to the clicked row); Del runs CommandId::kDelete; Ctrl+Enter
//     runs kEditFinishRunner. Bind those commands to edit or delete cursor_row() of
//     shown_table().
//   - set_results_board(renderer): the live results board (view 6) is drawn by the renderer;
//     it is repainted every second by the main window while shown.
//   - set_right_button_handler(f): right button press or double press (finish timing).
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/view_logic.h"
#include "core/competition.h"
#include "core/prompts.h"

class QPainter;
class QRegion;

namespace skarvel {

// Draws the live results board (view 6). `now` is program_clock.
class ResultsBoardRenderer {
  public:
    virtual ~ResultsBoardRenderer() = default;
    virtual void paint(QPainter& painter, const QRect& client, Competition& competition,
                       std::int32_t now) = 0;
};

class CSkarvelView : public QWidget {
    Q_OBJECT
  public:
    CSkarvelView(Competition& competition, Prompts& prompts, QWidget* parent = nullptr);

    // 0..5 as RecordType, or view::kResultsBoard.
    int shown_table() const;
    void show_table(int table);
    int cursor_row() const;
    int top_row() const;
    void set_cursor_row(int slot);  // and scrolls so that it is visible
    int visible_row_count() const;
    // Forgets the swap row, finish number entry and the mouse lock. The table on show lives in
    // the competition's view state: a new competition starts at the runners, a load keeps the
    // file's (the live results board included).
    void reset();
    void set_prompts(Prompts& prompts) { prompts_ = &prompts; }

    // Navigation (also bound to keys).
    void move_up();
    void move_down();
    void page_up();
    void page_down();
    void first_row();
    void last_row();
    void previous_table();
    void next_table();
    void click_at(int y);

    // Marking and the runner-table commands; each asks its question where one is due.
    void mark(MarkOp op);
    void toggle_mark_and_down();
    void toggle_finish_flag_and_down();
    void swap_press();
    int swap_row() const { return swap_row_; }
    void reset_swap() { swap_row_ = -1; }
    // Runs Find with a text (the dialog is the command's); returns whether it found a row.
    bool find(const std::string& text);
    std::string search_text;  // kept for the next search
    CardSortKey card_sort_key = CardSortKey::kCardNumber;

    bool mouse_locked() const { return mouse_locked_; }
    void set_mouse_locked(bool on);

    // Finish number entry display (see the header comment).
    void set_finish_entry(bool active, int slot = -1, const std::string& typed = {});
    bool finish_entry_active() const { return entry_.active; }

    void set_key_handler(std::function<bool(QKeyEvent*)> f) { key_handler_ = std::move(f); }
    void set_results_board(ResultsBoardRenderer* board) { board_ = board; }
    void set_right_button_handler(std::function<void(bool double_click)> f) {
        right_button_ = std::move(f);
    }
    // The language of the few texts the finish table shows.
    void set_english(bool english) { row_ctx_.english = english; }
    // Called when the view changed records (the main window marks the title).
    std::function<void()> on_changed;
    // Called for Enter/double click, Del and Ctrl+Enter (the main window runs the commands).
    std::function<void()> on_edit_row;
    std::function<void()> on_delete_row;
    std::function<void()> on_edit_finish_runner;
    std::function<void()> on_scroll_lock;
    // Called after every key or mouse input the view handled (the window refreshes command
    // states), and the clock the board shows.
    std::function<void()> on_input;
    std::function<std::int32_t()> now;

    // Draws the view into any painter (the benchmark and screenshots use an image).
    void render_to(QPainter& painter, const QRect& client);

    // The tables changed under the view (a batch of cards, a line from the network): only the
    // rows whose cells changed are repainted, or the whole view when what it shows has moved.
    void data_changed();
    // Rows drawn by paint events so far (for tests and the benchmarks).
    int rows_painted() const { return rows_painted_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Draws the rows that meet `dirty` (all of them without one) and notes what they showed.
    void render_rows(QPainter& painter, const QRect& client, const QRegion* dirty);
    // What the last paint showed: a later change repaints only the rows that differ.
    struct Shown {
        bool valid = false;
        int table = -1, top = -1, cursor = -1, swap_row = -1, width = -1, height = -1;
        bool english = false;
        view::FinishEntryDisplay entry;
        std::vector<std::vector<view::Cell>> rows;
        bool same_frame(const Shown& o) const;
    };
    Shown frame_now() const;

    view::Position position() const;
    void set_position(view::Position p);
    bool occupied(int slot) const;
    int capacity() const;
    void changed();
    bool entry_blocks() const;

    Competition& c_;
    Prompts* prompts_;
    int swap_row_ = -1;
    bool mouse_locked_ = false;
    view::FinishEntryDisplay entry_;
    view::RowContext row_ctx_;
    std::function<bool(QKeyEvent*)> key_handler_;
    std::function<void(bool)> right_button_;
    ResultsBoardRenderer* board_ = nullptr;
    Shown shown_;
    int rows_painted_ = 0;
};

}  // namespace skarvel
