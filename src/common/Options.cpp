#include "Options.h"

#include "AppSetting.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace kestrova {

RepeatOptions RepeatOptions::From(const CAppSetting& s) {
    RepeatOptions o;
    o.passes = s.RepeatAmount;
    o.promptAfterPass = s.AudioPrompt;
    o.promptSound = s.FinishAudio;
    o.pauseAfterPass = s.PauseFinish;
    o.pause = s.PauseFinishIndex >= 0 && s.PauseFinishIndex <= int(PauseChoice::Hold)
                  ? PauseChoice(s.PauseFinishIndex)
                  : PauseChoice::OneSecond;
    o.moveStepCs = s.MoveStep;
    o.seekOutsideClears = s.CancelRepeat;
    o.dictationPause = s.SentInterval;
    o.order = s.Order >= 0 && s.Order <= int(PlayOrder::PlayOnce) ? PlayOrder(s.Order)
                                                                  : PlayOrder::Default;
    o.passTempos = ParsePassTempos(s.PassTempos).value_or(std::vector<int>{});
    return o;
}

void RepeatOptions::StoreTo(CAppSetting& s) const {
    s.RepeatAmount = passes;
    s.AudioPrompt = promptAfterPass;
    s.FinishAudio = promptSound;
    s.PauseFinish = pauseAfterPass;
    s.PauseFinishIndex = int(pause);
    s.MoveStep = moveStepCs;
    s.CancelRepeat = seekOutsideClears;
    s.SentInterval = dictationPause;
    s.Order = int(order);
    s.PassTempos = PassTemposText(passTempos);
}

std::optional<std::vector<int>> ParsePassTempos(const QString& text) {
    std::vector<int> tempos;
    for (const QString& piece :
         text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts)) {
        bool ok = false;
        // A typographic minus reads as a minus.
        const int value = QString(piece).replace(QChar(0x2212), QLatin1Char('-')).toInt(&ok);
        if (!ok) return std::nullopt;
        if (tempos.size() < kMaxPassTempos) tempos.push_back(std::clamp(value, -60, 60));
    }
    return tempos;
}

QString PassTemposText(const std::vector<int>& tempos) {
    QStringList texts;
    for (int tempo : tempos)
        texts << QString::number(tempo);
    return texts.join(QLatin1Char(','));
}

DictationOptions DictationOptions::From(const CAppSetting& s) {
    DictationOptions o;
    o.ignoreCase = s.IgnoreCase != 0;
    o.ignoreSpaces = s.IgnoreSpaces != 0;
    o.ignorePunctuation = s.IgnorePunc != 0;
    o.detectContractions = s.DetectAbbr != 0;
    o.rightSound = s.RightSound != 0;
    o.errorSound = s.ErrorSound != 0;
    o.redoErrors = s.RedoError;
    o.errorsToHardSentence = s.ToHardSent;
    o.sentenceInterval = s.SentInterval;
    o.autosaveMinutes = s.AutoSave;
    return o;
}

void DictationOptions::StoreTo(CAppSetting& s) const {
    s.IgnoreCase = ignoreCase;
    s.IgnoreSpaces = ignoreSpaces;
    s.IgnorePunc = ignorePunctuation;
    s.DetectAbbr = detectContractions;
    s.RightSound = rightSound;
    s.ErrorSound = errorSound;
    s.RedoError = redoErrors;
    s.ToHardSent = errorsToHardSentence;
    s.SentInterval = sentenceInterval;
    s.AutoSave = autosaveMinutes;
}

} // namespace kestrova
