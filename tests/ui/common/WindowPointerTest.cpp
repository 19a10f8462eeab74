#include "ui/common/WindowPointer.h"
#include "ui/common/WindowChrome.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

// A window laid out like the program's: a frame with a button, a label and a text box.
struct Window {
    Window()
    {
        frame = new QGroupBox("Frame", &window);
        button = new QPushButton("Go", frame);
        label = new QLabel("Label", frame);
        text = new QLineEdit(frame);
        auto* inner = new QVBoxLayout(frame);
        inner->addWidget(button);
        inner->addWidget(label);
        inner->addWidget(text);
        auto* outer = new QVBoxLayout(&window);
        outer->addWidget(frame);
        outer->addStretch();
        window.resize(300, 300);
        pointer = new WindowPointer(&window);
        pointer->attachButton(button);
        pointer->attachSurface(frame);
        pointer->attachSurface(text);
        window.show();
    }
    // Moves the mouse over the middle of w, as the window system would deliver it.
    void moveOver(QWidget* w)
    {
        const QPointF local(w->width() / 2.0, w->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, local, w->mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    void moveOverWindowBackground()
    {
        const QPointF local(window.width() / 2.0, window.height() - 5.0);
        QMouseEvent move(QEvent::MouseMove, local, window.mapToGlobal(local), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
    }

    QWidget window;
    QGroupBox* frame;
    QPushButton* button;
    QLabel* label;
    QLineEdit* text;
    WindowPointer* pointer;
};

} // namespace

TEST(WindowPointer, HoverFollowsButtonsAndSurfaces)
{
    Window w;
    EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Default);
    w.moveOver(w.button);
    EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Custom);
    EXPECT_EQ(w.window.cursor().shape(), Qt::PointingHandCursor);
    w.moveOver(w.label); // labels have no handler: the pointer stays
    EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Custom);
    w.moveOver(w.text);
    EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Default);
    w.moveOver(w.button);
    w.moveOverWindowBackground();
    EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Default);
    EXPECT_EQ(w.window.cursor().shape(), Qt::ArrowCursor);
}

TEST(WindowPointer, HoverNeverReplacesTheHourglass)
{
    Window w;
    {
        Hourglass wait(*w.pointer);
        EXPECT_EQ(w.window.cursor().shape(), Qt::WaitCursor);
        for (QWidget* over : std::initializer_list<QWidget*>{w.button, w.text, w.frame, w.label})
            w.moveOver(over);
        w.moveOverWindowBackground();
        EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Hourglass);
        EXPECT_EQ(w.window.cursor().shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(w.pointer->mousePointer(), MousePointer::Default);
    EXPECT_EQ(w.window.cursor().shape(), Qt::ArrowCursor);
}

TEST(WindowPointer, UnreadableCursorFilesAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("HAND-M.CUR");
    for (const QByteArray& content :
         {QByteArray(), QByteArray("junk"), QByteArray("\0\0\2\0\1\0", 6) + QByteArray(16, '\0'),
          QByteArray("\0\0\1\0\1\0", 6) + QByteArray(40, 'x')}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        EXPECT_FALSE(loadCursorFile(path).has_value());
    }
    EXPECT_FALSE(loadCursorFile(dir.filePath("missing.cur")).has_value());
    Window w;
    EXPECT_FALSE(w.pointer->loadMouseIcon(path));
    EXPECT_EQ(w.pointer->mouseIcon().shape(), Qt::PointingHandCursor);
}

TEST(SetSystemColors, ButtonFaceForOptionButtonsCheckBoxesFramesAndLabels)
{
    QWidget window;
    auto* frame = new QGroupBox("Frame", &window);
    auto* label = new QLabel("Label", frame);
    auto* check = new QCheckBox("Check", frame);
    auto* option = new QRadioButton("Option", &window);
    auto* list = new QListWidget(&window);
    auto* text = new QLineEdit(frame);
    for (QWidget* w : std::initializer_list<QWidget*>{frame, label, check})
        setBackground(w, Qt::white);
    const QColor listBase = list->palette().color(QPalette::Base);
    const QColor textBase = text->palette().color(QPalette::Base);

    setSystemColors(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{&window, frame, label, check, option}) {
        EXPECT_TRUE(w->autoFillBackground());
        EXPECT_EQ(w->palette().color(w->backgroundRole()), buttonFace());
    }
    EXPECT_EQ(list->palette().color(QPalette::Base), listBase);
    EXPECT_EQ(text->palette().color(QPalette::Base), textBase);
}
