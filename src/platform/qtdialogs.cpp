#include "qtdialogs.h"

#include "platform/linebreaks.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

QString plainLines(const QString& text)
{
    QString out = text;
    out.replace(u"\r\n"_s, u"\n"_s);
    out.replace(u'\r', u'\n');
    return out;
}

// The widest a message box's text may be on the screen it shows on: a message box grows
// to at most that screen's width less 480 pixels (all of a small screen), and its icon
// and margins take the rest.
int widestMessageLine(const QWidget* parent)
{
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().width() : 1280;
    const int box = available <= 1024 ? available : std::min(available - 480, 1000);
    return box - 140;
}

// Gives the box's text the width its longest line needs, breaking only lines wider than
// the box can grow, where Japanese breaks well; a screen reader still reads the text as
// written.
void setMessageText(QMessageBox& box, const QString& text)
{
    box.setText(text);
    auto* label = box.findChild<QLabel*>(u"qt_msgbox_label"_s);
    if (!label)
        return;
    const QStringList lines = brokenLines(text, widestMessageLine(box.parentWidget()), label->fontMetrics());
    const QString shown = lines.join(u'\n');
    if (shown != text) {
        box.setText(shown);
        label->setAccessibleName(text);
    }
    label->setMinimumWidth(widestLine(lines, label->fontMetrics()) + 2);
}

// Keeps the box at least as wide as its title bar needs to show the title whole: Qt
// leaves room for the text alone, and a window manager's title bar cuts a short box's
// title to an ellipsis.
void keepTitleWhole(QMessageBox& box, const QString& title)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QScreen* screen = box.parentWidget() ? box.parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().width() : 1280;
    const QMargins margins = grid->contentsMargins();
    const int width = std::min(QtDialogs::titleBarWidth(title, box.font()), available) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

QMessageBox::StandardButton standardButton(Dialogs::Answer answer)
{
    switch (answer) {
    case Dialogs::Answer::Ok: return QMessageBox::Ok;
    case Dialogs::Answer::Cancel: return QMessageBox::Cancel;
    case Dialogs::Answer::Yes: return QMessageBox::Yes;
    case Dialogs::Answer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

} // namespace

int QtDialogs::titleBarWidth(const QString& title, const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    // The window's icon and up to three buttons, and a margin either side of the text.
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

Dialogs::Answer QtDialogs::message(const QString& text, const QString& title, Icon icon, Buttons buttons, Answer def)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    setMessageText(box, plainLines(text));
    switch (icon) {
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    box.setDefaultButton(standardButton(def));
    keepTitleWhole(box, title);
    // A busy pointer must not hide that the program is waiting for the user.
    const bool busy = m_busyDepth > 0;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (result) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: break;
    }
    // Closing the box with Escape or its close button counts as its safe answer.
    if (buttons == Buttons::OkCancel && result != QMessageBox::Ok)
        return Answer::Cancel;
    if (buttons == Buttons::YesNo)
        return Answer::No;
    return Answer::Ok;
}

QString QtDialogs::input(const QString& prompt, const QString& title, const QString& defaultText, int cursor)
{
    QInputDialog dialog(m_parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(plainLines(prompt));
    dialog.setTextValue(defaultText);
    // Room for a long title name: thirty characters show at once.
    if (auto* box = dialog.findChild<QLineEdit*>()) {
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(30, u'漢')));
        // The text offered again is edited where it was refused, not typed over whole.
        if (cursor >= 0 && !defaultText.isEmpty())
            QTimer::singleShot(0, box, [box, cursor] {
                box->deselect();
                box->setCursorPosition(cursor);
            });
    }
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString QtDialogs::chooseFolder(const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(m_parent, title, start);
}

QString QtDialogs::chooseSaveFile(const QString& title, const QString& suggested, const QString& filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, suggested, filter);
}

void QtDialogs::beep()
{
    QApplication::beep();
}

void QtDialogs::setBusy(bool busy)
{
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}
