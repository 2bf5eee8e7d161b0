#include "shownfile.h"

#include "platform/dialogs.h"
#include "store/datafolder.h"

using namespace Qt::Literals::StringLiterals;

std::optional<QString> ShownFile::read(DataFolder& folder, const QString& name)
{
    m_name = name;
    m_shown = folder.readText(name);
    return m_shown;
}

void ShownFile::showAbsent(const QString& name)
{
    m_name = name;
    m_shown.reset();
}

bool ShownFile::mayOverwrite(DataFolder& folder, Dialogs& dialogs) const
{
    // A folder that takes no writes refuses the write itself, and says why.
    if (!isSet() || folder.isReadOnly())
        return true;
    const std::optional<QString> now = folder.readText(m_name);
    if (now == m_shown)
        return true;
    const QString what = !now ? u"削除されています"_s : m_shown ? u"書き換えられています"_s : u"作られています"_s;
    const QString text = u"「%1」は、表示した後にほかの画面かほかのプログラムで%2。\r\n\r\n"
                         "表示中の内容で上書きしますか？"_s.arg(m_name, what);
    return dialogs.message(text, u"上書きの確認"_s, Dialogs::Icon::Question, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        == Dialogs::Answer::Yes;
}
