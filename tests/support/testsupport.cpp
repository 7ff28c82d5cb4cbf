#include "support/testsupport.h"

#include "app/program.h"
#include "diagrams/picturebox.h"
#include "lab/looplabwindow.h"
#include "ui/menuwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace valthera::testing {

void reportMissing(QWidget *root, const QString &name, const char *type, const std::source_location &where)
{
    const QString window =
        root ? QStringLiteral("window \"%1\"").arg(root->window()->objectName()) : QStringLiteral("no window");
    const QString message = QStringLiteral("no %1 \"%2\" in %3").arg(QLatin1String(type), name, window);
    QTest::qFail(qPrintable(message), where.file_name(), static_cast<int>(where.line()));
}

PictureBox *pictureOnView(QWidget *window)
{
    auto *frame = qobject_cast<MenuWindow *>(window);
    return frame ? valthera::pictureOnView(frame->client()) : nullptr;
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void clickRow(QListWidget *list, int row)
{
    QListWidgetItem *item = list->item(row);
    if (!item)
        return;
    list->scrollToItem(item);
    const QRect where = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where.center());
}

void keyToRow(QListWidget *list, int row)
{
    list->setFocus();
    if (list->selectedItems().isEmpty()) {
        // Focus puts the frame on a line without selecting it; Space selects it.
        if (list->currentRow() < 0)
            list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        if (list->currentRow() == row) {
            QTest::keyClick(list, Qt::Key_Space);
            return;
        }
    }
    while (list->currentRow() < row)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentRow() > row)
        QTest::keyClick(list, Qt::Key_Up);
}

QStringList lines(const QListWidget *list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->item(i)->text());
    return result;
}

void answerNextModal(QString *text, QString *title, int *seen)
{
    QTimer::singleShot(0, [text, title, seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (text)
                *text = box->text();
            if (title)
                *title = box->windowTitle();
            if (seen)
                ++*seen;
            box->accept();
        } else {
            modal->close();
        }
    });
}

QWidget *openScreen(Program &program, const QString &name)
{
    program.registry().setQuitHandler([] {});
    QWidget *window = program.registry().show(name);
    if (!window || !QTest::qWaitForWindowExposed(window))
        return nullptr;
    settle();
    return window;
}

LoopLabWindow *openLab(Program &program)
{
    return qobject_cast<LoopLabWindow *>(openScreen(program, QStringLiteral("LoopLab")));
}

void endProgram(std::unique_ptr<Program> &program)
{
    program->registry().endSession();
    settle();
    program.reset();
}

void settle(int ms)
{
    QApplication::processEvents();
    if (ms > 0)
        QTest::qWait(ms);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool FrameCounter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest && watched == window)
        painting = false;
    if (event->type() == QEvent::Paint && !painting && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == window) {
        painting = true;
        ++frames;
    }
    return false;
}

void useOffscreenScreen(const char *name, int width, int height)
{
    const QString config = QDir::temp().filePath(QStringLiteral("valthera-%1-screen.json").arg(QLatin1String(name)));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringLiteral(R"({"screens":[{"name":"%1","x":0,"y":0,"width":%2,"height":%3,"logicalDpi":96}]})")
                       .arg(QLatin1String(name))
                       .arg(width)
                       .arg(height)
                       .toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
}

} // namespace valthera::testing
