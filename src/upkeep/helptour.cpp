#include "helptour.h"

#include "platform/dialogs.h"

void HelpTour::ShowHelpTour()
{
    if (m_on != 0)
        m_dialogs.message(m_text, QStringLiteral("ヘルプツアー"), Dialogs::Icon::Information);
}

void HelpTour::show(const QString& text)
{
    setHelpTourText(text);
    ShowHelpTour();
}
