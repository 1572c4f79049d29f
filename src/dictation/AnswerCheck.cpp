#include "AnswerCheck.h"

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

} // namespace kestrova
