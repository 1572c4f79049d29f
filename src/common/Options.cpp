#include "Options.h"

#include "AppSetting.h"

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
}

} // namespace kestrova
