#include "AnswerCheck.h"

#include <QStringList>
#include <algorithm>

namespace kestrova {

namespace {

constexpr char16_t kPunctuation[] = u",.;?\t\n\":!~`(){}[]";

bool IsPunctuation(QChar c) {
    for (char16_t p : kPunctuation)
        if (p && c.unicode() == p) return true;
    return false;
}

struct Contraction {
    const char16_t* written;
    const char16_t* replaced;
};
constexpr Contraction kContractions[] = {
    {u"'m", u" am"}, {u"'s", u" is"}, {u"'re", u" are"}, {u"'ve", u" have"}, {u"'ll", u" will"}};

void Append(NormalisedText& t, QChar c, int from) {
    t.text += c;
    t.source.push_back(from);
}

} // namespace

NormalisedText NormaliseMapped(const QString& input, const CheckOptions& options) {
    NormalisedText t;
    t.text.reserve(input.size());
    // Typographic quotes and non-breaking spaces count as the keyboard's ones.
    for (int i = 0; i < int(input.size()); ++i) {
        QChar c = input[i];
        switch (c.unicode()) {
        case 0x2019:
        case 0x2018:
        case 0x2032:
            c = '\'';
            break;
        case 0x201C:
        case 0x201D:
            c = '"';
            break;
        case 0x00A0:
            c = ' ';
            break;
        default:
            break;
        }
        Append(t, c, i);
    }
    if (options.ignoreCase)
        for (QChar& c : t.text)
            if (c >= 'A' && c <= 'Z') c = QChar(c.unicode() + 32);
    if (options.ignoreSpaces) {
        NormalisedText out;
        bool pendingSpace = false;
        for (int i = 0; i < int(t.text.size()); ++i) {
            if (t.text[i] == ' ') {
                pendingSpace = !out.text.isEmpty();
                continue;
            }
            if (pendingSpace) Append(out, ' ', t.source[size_t(i - 1)]);
            pendingSpace = false;
            Append(out, t.text[i], t.source[size_t(i)]);
        }
        t = std::move(out);
    }
    if (options.ignorePunc) {
        NormalisedText out;
        for (int i = 0; i < int(t.text.size()); ++i)
            if (!IsPunctuation(t.text[i])) Append(out, t.text[i], t.source[size_t(i)]);
        t = std::move(out);
    }
    if (options.detectAbbr) {
        for (const Contraction& c : kContractions) {
            const QString written = QString::fromUtf16(c.written);
            const QString replaced = QString::fromUtf16(c.replaced);
            NormalisedText out;
            for (int i = 0; i < int(t.text.size());) {
                if (QStringView(t.text).mid(i).startsWith(written)) {
                    // The replacement's characters come from the written form's first one.
                    for (QChar r : replaced)
                        Append(out, r, t.source[size_t(i)]);
                    i += int(written.size());
                } else {
                    Append(out, t.text[i], t.source[size_t(i)]);
                    ++i;
                }
            }
            t = std::move(out);
        }
    }
    return t;
}

QString Normalise(const QString& text, const CheckOptions& options) {
    return NormaliseMapped(text, options).text;
}

CheckResult CheckAnswer(const QString& reference, const QString& answer,
                        const CheckOptions& options) {
    CheckResult r;
    const NormalisedText a = NormaliseMapped(answer, options);
    const QString ref = Normalise(reference, options);
    r.normalisedAnswer = a.text;
    if (ref.isEmpty() || a.text == ref || a.text == QLatin1String(kSkipPhrase)) {
        r.right = true;
        return r;
    }
    for (int p = 0; p < int(a.text.size()); ++p) {
        if (p >= int(ref.size()) || a.text[p] != ref[p]) {
            r.markPos = p;
            r.markStart = a.source[size_t(p)];
            break;
        }
    }
    return r;
}

int EditDistance(const QString& a, const QString& b) {
    std::vector<int> row(std::size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[std::size_t(j)] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[std::size_t(j)];
            row[std::size_t(j)] = std::min({above + 1, row[std::size_t(j - 1)] + 1,
                                            diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[std::size_t(b.size())];
}

std::vector<WordDiffItem> WordDiff(const QString& reference, const QString& answer,
                                   const CheckOptions& options) {
    const QStringList ref =
        Normalise(reference, options).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList typed =
        Normalise(answer, options).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The cheapest alignment: a word added or dropped costs 2, a near miss 1 and a wrong word
    // 3, so a misspelt word lines up with the word it was meant to be, and a wrong word
    // stands in its place rather than as one dropped and one added.
    const std::size_t n = std::size_t(ref.size()), m = std::size_t(typed.size());
    if (n * m > 1'000'000) return {}; // no sentence is this long
    auto substitution = [&](std::size_t i, std::size_t j) {
        if (ref[qsizetype(i)] == typed[qsizetype(j)]) return 0;
        return EditDistance(ref[qsizetype(i)], typed[qsizetype(j)]) <= 1 ? 1 : 3;
    };
    std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1));
    for (std::size_t i = 0; i <= n; ++i)
        cost[i][0] = int(2 * i);
    for (std::size_t j = 0; j <= m; ++j)
        cost[0][j] = int(2 * j);
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j)
            cost[i][j] = std::min({cost[i - 1][j] + 2, cost[i][j - 1] + 2,
                                   cost[i - 1][j - 1] + substitution(i - 1, j - 1)});
    std::vector<WordDiffItem> out;
    std::size_t i = n, j = m;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 && cost[i][j] == cost[i - 1][j - 1] + substitution(i - 1, j - 1)) {
            const int s = substitution(i - 1, j - 1);
            out.push_back({s == 0   ? WordMark::Same
                           : s == 1 ? WordMark::NearMiss
                                    : WordMark::Wrong,
                           typed[qsizetype(j - 1)], ref[qsizetype(i - 1)]});
            --i;
            --j;
        } else if (i > 0 && cost[i][j] == cost[i - 1][j] + 2) {
            out.push_back({WordMark::Missing, QString(), ref[qsizetype(i - 1)]});
            --i;
        } else {
            out.push_back({WordMark::Extra, typed[qsizetype(j - 1)], QString()});
            --j;
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}

} // namespace kestrova
