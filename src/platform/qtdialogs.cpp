#include "qtdialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

namespace {

QString plainLines(const QString& text)
{
    QString out = text;
    out.replace(u"\r\n"_s, u"\n"_s);
    out.replace(u'\r', u'\n');
    return out;
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

Dialogs::Answer QtDialogs::message(const QString& text, const QString& title, Icon icon, Buttons buttons, Answer def)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(plainLines(text));
    box.setTextFormat(Qt::PlainText);
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

QString QtDialogs::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, title, plainLines(prompt), QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
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
