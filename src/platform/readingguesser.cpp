#include "readingguesser.h"

#ifdef UTABAKO_HAVE_MECAB

#include "store/japanese.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <mecab.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The IPA dictionary's features: part of speech (four fields), conjugation (two), base
// form, reading, pronunciation. A word it does not know has the first seven only.
constexpr int kReadingFeature = 7;
// How many of the next best analyses are looked at for another reading.
constexpr int kAnalyses = 4;
// Another reading reached at less than this more cost (MeCab's costs, where a common
// word costs some thousands) than the best one is a close second.
constexpr long kCloseCost = 2000;

// The dictionaries tried in order: the one MeCab's own settings name (/etc/mecabrc),
// then the UTF-8 IPA dictionary where Debian puts it, then where mecab-config said at
// build time.
QStringList dictionaryArguments()
{
    QStringList out{QString()};
    out << u"-d /var/lib/mecab/dic/ipadic-utf8"_s;
#ifdef UTABAKO_MECAB_DICDIR
    out << u"-d "_s + QStringLiteral(UTABAKO_MECAB_DICDIR) + u"/ipadic-utf8"_s;
    out << u"-d "_s + QStringLiteral(UTABAKO_MECAB_DICDIR) + u"/ipadic"_s;
#endif
    return out;
}

class MeCabGuesser : public ReadingGuesser {
public:
    explicit MeCabGuesser(MeCab::Model* model)
        : m_model(model)
        , m_tagger(model->createTagger())
        , m_lattice(model->createLattice())
    {
    }
    ~MeCabGuesser() override
    {
        delete m_lattice;
        delete m_tagger;
        delete m_model;
    }

    bool isAvailable() const override { return m_tagger && m_lattice; }

    std::optional<ReadingGuess> guess(const QString& name) override
    {
        if (!isAvailable() || name.trimmed().isEmpty())
            return std::nullopt;
        const QByteArray text = name.toUtf8();
        m_lattice->set_request_type(MECAB_NBEST);
        m_lattice->set_sentence(text.constData(), static_cast<size_t>(text.size()));
        if (!m_tagger->parse(m_lattice))
            return std::nullopt;
        bool unsure = false;
        // The best analysis: its reading, and the cost of reaching each place where one
        // of its words ends.
        QHash<const char*, long> bestCost;
        const QString best = readingOfPath(&unsure, [&](const MeCab::Node* node) {
            bestCost.insert(node->surface + node->length, node->cost);
        });
        // The next analyses, best first (the first call gives the best one again). One
        // that reads otherwise makes the suggestion doubtful when a word of it that
        // differs is reached at little more cost than the best analysis reaches the
        // same place.
        for (int i = 0; i < kAnalyses && !unsure && m_lattice->next(); ++i) {
            long extra = 0;
            bool ignored = false;
            const QString other = readingOfPath(&ignored, [&](const MeCab::Node* node) {
                const auto at = bestCost.constFind(node->surface + node->length);
                if (at != bestCost.cend())
                    extra = std::max(extra, node->cost - *at);
            });
            if (other != best && extra < kCloseCost)
                unsure = true;
        }
        const QString reading = japanese::readingForm(best);
        if (reading.isEmpty())
            return std::nullopt;
        return ReadingGuess{reading, unsure || !japanese::isReading(reading)};
    }

private:
    // The reading of the analysis the lattice holds, word by word: a known word by its
    // dictionary reading, a word the dictionary lacks by its own text (*unsure set unless
    // that is kana). Each word is handed to look at.
    template <typename Look>
    QString readingOfPath(bool* unsure, Look look)
    {
        QString out;
        for (const MeCab::Node* node = m_lattice->bos_node(); node; node = node->next) {
            if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE)
                continue;
            look(node);
            // The spaces MeCab skips before a word stay between the words read.
            if (node->rlength > node->length && !out.isEmpty())
                out += u' ';
            const QStringList features = QString::fromUtf8(node->feature).split(u',');
            // Punctuation in a name (モーニング娘。) is not read.
            if (node->stat != MECAB_UNK_NODE && features.value(0) == u"記号"_s)
                continue;
            if (node->stat != MECAB_UNK_NODE && features.size() > kReadingFeature
                && features[kReadingFeature] != u"*"_s) {
                out += features[kReadingFeature];
                continue;
            }
            const QString surface = QString::fromUtf8(node->surface, static_cast<qsizetype>(node->length));
            if (japanese::isAllKana(surface)) {
                out += japanese::hiraganaToKatakana(surface);
            } else {
                out += surface;
                *unsure = true;
            }
        }
        return out;
    }

    MeCab::Model* m_model;
    MeCab::Tagger* m_tagger;
    MeCab::Lattice* m_lattice;
};

} // namespace

std::unique_ptr<ReadingGuesser> makeReadingGuesser()
{
    for (const QString& arguments : dictionaryArguments()) {
        MeCab::Model* model = MeCab::createModel(arguments.toUtf8().constData());
        if (!model)
            continue;
        const MeCab::DictionaryInfo* info = model->dictionary_info();
        const QString charset = info ? QString::fromUtf8(info->charset).toLower() : QString();
        if (charset != u"utf-8"_s && charset != u"utf8"_s) {
            delete model;
            continue;
        }
        auto guesser = std::make_unique<MeCabGuesser>(model);
        if (guesser->isAvailable())
            return guesser;
    }
    return std::make_unique<NullReadingGuesser>();
}

#else

std::unique_ptr<ReadingGuesser> makeReadingGuesser()
{
    return std::make_unique<NullReadingGuesser>();
}

#endif
