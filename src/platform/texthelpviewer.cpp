#include "texthelpviewer.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

TextHelpViewer::TextHelpViewer(QString dataFolderFile, QString builtInFile)
    : m_dataFolderFile(std::move(dataFolderFile))
    , m_builtInFile(std::move(builtInFile))
{
}

TextHelpViewer::~TextHelpViewer()
{
    delete m_browser;
}

void TextHelpViewer::open(const QString& section)
{
    if (!m_browser) {
        m_browser = new QTextBrowser;
        m_browser->setAttribute(Qt::WA_DeleteOnClose);
        m_browser->setObjectName(u"helpWindow"_s);
        m_browser->setWindowTitle(u"ウタバコ ヘルプ"_s);
        m_browser->setOpenExternalLinks(true);
        // Inside the room the desktop leaves on the screen of the program's window, frame
        // and title bar included, whatever the scale.
        const QWidget* active = QApplication::activeWindow();
        const QScreen* screen = active ? active->screen() : QGuiApplication::primaryScreen();
        const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
        const QSize size = QSize(760, 700).boundedTo(room.size() - QSize(16, 48));
        m_browser->resize(size);
        m_browser->move(room.topLeft() + QPoint((room.width() - size.width()) / 2, (room.height() - size.height() - 40) / 2));
        // The window closes from the keyboard too.
        for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
            QObject::connect(new QShortcut(keys, m_browser), &QShortcut::activated, m_browser, &QWidget::close);
    }
    const QString inFolder = m_whereInDataFolder ? m_whereInDataFolder() : m_dataFolderFile;
    const QString file = QFileInfo::exists(inFolder) ? inFolder : m_builtInFile;
    QUrl url = file.startsWith(u':') ? QUrl(u"qrc"_s + file) : QUrl::fromLocalFile(file);
    if (!section.isEmpty())
        url.setFragment(section);
    m_browser->setSource(url);
    m_browser->show();
    m_browser->raise();
    m_browser->activateWindow();
}

void TextHelpViewer::closeAll()
{
    if (m_browser)
        m_browser->close();
}

QWidget* TextHelpViewer::window() const
{
    return m_browser;
}

QString TextHelpViewer::shownSource() const
{
    return m_browser ? m_browser->source().toString() : QString();
}
