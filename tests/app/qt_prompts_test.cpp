// The desktop program's prompts: file dialogs filter by the patterns after the bar (the decoder
// files' "TXT-файл(*.txt) |*.*||" lists every file), and a line input shows its caption.
#include "platform/qt/qt_prompts.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/cp1251.h"
#include "platform/qt/qt_text.h"

using namespace skarvel;

class QtPromptsTest : public QObject {
    Q_OBJECT
  private slots:
    void file_dialogs_filter_by_the_patterns_after_the_bar() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"a.txt", "b.dat", "c.csv"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const struct {
            std::string filter;
            QString qt;
            int files;
        } cases[] = {
            {"TXT-файл(*.txt) |*.*||", QStringLiteral("TXT-файл(*.txt) (*.*)"), 3},
            {"CSV-файл (*.csv) |*.csv||", QStringLiteral("CSV-файл (*.csv)"), 1},
            {"текстовый файл (*.txt) |*.txt||", QStringLiteral("текстовый файл (*.txt)"), 1},
            {"Все|*.txt;*.csv||", QStringLiteral("Все (*.txt *.csv)"), 2},
        };
        for (const auto& k : cases) {
            const QString filter = qt_file_filter(utf8_to_cp1251(k.filter));
            QCOMPARE(filter, k.qt);
            QFileDialog dialog(nullptr, QString(), dir.path(), filter);
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.show();
            auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
            QVERIFY(view);
            QTRY_COMPARE_WITH_TIMEOUT(view->model()->rowCount(view->rootIndex()), k.files, 20000);
        }
    }

    void line_input_shows_its_caption() {
        QtPrompts prompts;
        QString caption, initial;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!box) return;
            caption = box->windowTitle();
            initial = box->textValue();
            box->reject();
        });
        QVERIFY(!prompts.ask_find_text("31"));
        QCOMPARE(caption, QStringLiteral("Поиск"));
        QCOMPARE(initial, QStringLiteral("31"));
    }
};

QTEST_MAIN(QtPromptsTest)
#include "qt_prompts_test.moc"
