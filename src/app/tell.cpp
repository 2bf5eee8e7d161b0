#include "tell.h"

#include "platform/dialogs.h"
#include "store/cp932.h"
#include "store/titletable.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

QString typedText(QComboBox& box)
{
    const QString typed = box.currentText();
    QString stored = cp932::storedForm(typed);
    if (stored != typed)
        box.setEditText(stored);
    return stored;
}

QString typedText(QLineEdit& box)
{
    const QString typed = box.text();
    QString stored = cp932::storedForm(typed);
    if (stored != typed) {
        // Each character is replaced by one, so the cursor stays where it was.
        const int cursor = box.cursorPosition();
        box.setText(stored);
        box.setCursorPosition(cursor);
    }
    return stored;
}

QString typedText(QPlainTextEdit& box)
{
    const QString typed = box.toPlainText();
    QString stored = cp932::storedForm(typed);
    if (stored == typed)
        return stored;
    // Each character is replaced by one, in place and as one step that can be undone:
    // the cursor, the view and whether the box counts as changed stay as they were, so
    // typed text never looks saved.
    QTextDocument* document = box.document();
    const bool modified = document->isModified();
    const int anchor = box.textCursor().anchor();
    const int position = box.textCursor().position();
    const int scrolled = box.verticalScrollBar()->value();
    QTextCursor edit(document);
    edit.beginEditBlock();
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (typed[i] == stored[i])
            continue;
        edit.setPosition(static_cast<int>(i));
        edit.setPosition(static_cast<int>(i + 1), QTextCursor::KeepAnchor);
        edit.insertText(QString(stored[i]));
    }
    edit.endEditBlock();
    document->setModified(modified);
    QTextCursor cursor = box.textCursor();
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
    box.verticalScrollBar()->setValue(scrolled);
    return stored;
}

int titleNamedOrTell(const TitleTable& titles, const QString& name, Dialogs& dialogs)
{
    const int k = titles.find(name);
    if (k == 0) {
        const QString text = titles.count() == 0
            ? u"タイトルがまだありません。\r\n\r\n「新規」ボタンでタイトルを登録してください。"_s
            : name.isEmpty() ? u"タイトルが選ばれていません。\r\n\r\nタイトル名の欄は一覧から選んでください。"_s
                             : u"「%1」という名前のタイトルはありません。\r\n\r\nタイトル名の欄は一覧から選んでください。"_s.arg(name);
        dialogs.message(text, u"タイトル未選択"_s, Dialogs::Icon::Exclamation);
    }
    return k;
}

void tellWriteFailure(Dialogs& dialogs, const WriteResult& written)
{
    dialogs.message(written.message(), written.title(), Dialogs::Icon::Exclamation);
}

void tellRefusal(Dialogs& dialogs, const TextRefusal& refusal)
{
    dialogs.message(refusal.message(), refusal.title(), Dialogs::Icon::Exclamation);
}

void tellRefusal(Dialogs& dialogs, const namerules::NameRefusal& refusal)
{
    dialogs.message(refusal.message, refusal.title, Dialogs::Icon::Exclamation);
}
