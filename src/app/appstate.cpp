#include "appstate.h"

#include "platform/dialogs.h"

using namespace Qt::Literals::StringLiterals;

int titleNamedOrTell(const AppState& state, const QString& name, Dialogs& dialogs)
{
    const int k = state.titles.find(name);
    if (k == 0) {
        dialogs.message(u"「%1」という名前のタイトルはありません。\r\n\r\nタイトル名の欄は一覧から選んでください。"_s.arg(name),
                        u"タイトル未選択"_s, Dialogs::Icon::Exclamation);
    }
    return k;
}
