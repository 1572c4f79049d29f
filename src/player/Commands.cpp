#include "Commands.h"

#include <QHash>

namespace kestrova {

namespace {
using C = CommandId;
const std::vector<CommandInfo> kCommands = {
    {C::OpenFile, "file.open", "打开文件...", "Ctrl+O", ""},
    {C::OpenUrl, "file.openUrl", "打开URL...", "", ""},
    {C::Favorites, "file.favorites", "收藏夹...", "", ""},
    {C::ImportLrc, "file.importLrc", "导入LRC文件...", "Ctrl+I", ""},
    {C::SaveDictationLrc, "file.saveDictationLrc", "听写另存为LRC文件...", "Ctrl+L", ""},
    {C::ExportCourseware, "file.exportCourseware", "导出课件...", "", ""},
    {C::SaveDictationRtf, "file.saveDictationRtf", "听写另存为RTF文件...", "Ctrl+S", ""},
    {C::Print, "file.print", "打印...", "Ctrl+P", ""},
    {C::PrintPreview, "file.printPreview", "打印预览", "", ""},
    {C::PrintSetup, "file.printSetup", "打印设置...", "", ""},
    {C::MediaInfo, "file.mediaInfo", "音频信息...", "", ""},
    {C::Exit, "file.exit", "退出", "", ""},
    {C::Undo, "edit.undo", "撤消", "Ctrl+Z", ""},
    {C::Cut, "edit.cut", "剪切", "Ctrl+X", ""},
    {C::Copy, "edit.copy", "复制", "Ctrl+C", ""},
    {C::Paste, "edit.paste", "粘贴", "Ctrl+V", ""},
    {C::Delete, "edit.delete", "删除", "Ctrl+D", ""},
    {C::SelectAll, "edit.selectAll", "选择全部", "Ctrl+A", ""},
    {C::FormatFont, "edit.font", "格式字体", "", ""},
    {C::ViewToolBar, "view.toolBar", "主窗口工具栏", "", ""},
    {C::ViewDictationBar, "view.dictationBar", "听写工具栏", "", ""},
    {C::ViewFormatBar, "view.formatBar", "格式化工具栏", "", ""},
    {C::ViewControlBar, "view.controlBar", "播放控制栏", "", ""},
    {C::ViewStatusBar, "view.statusBar", "状态栏", "", ""},
    {C::ViewWaveform, "view.waveform", "波形", "", ""},
    {C::PanelMain, "view.panelMain", "主面板", "", ""},
    {C::PanelEffects, "view.panelEffects", "音效控制", "", ""},
    {C::PanelRecord, "view.panelRecord", "跟读对比", "", ""},
    {C::MiniWindow, "view.miniWindow", "切换到迷你窗口", "", ""},
    {C::PlayPause, "play.playPause", "播放/暂停", "", ""},
    {C::Stop, "play.stop", "停止", "", ""},
    {C::Back, "play.back", "后退", "", ""},
    {C::Forward, "play.forward", "前进", "", ""},
    {C::PrevFile, "play.previousFile", "上一首", "", ""},
    {C::NextFile, "play.nextFile", "下一首", "", ""},
    {C::OrderDefault, "play.orderDefault", "默认", "", ""},
    {C::OrderRepeatOne, "play.orderRepeatOne", "重复单项", "", ""},
    {C::OrderRepeatList, "play.orderRepeatList", "重复（播放列表）", "", ""},
    {C::OrderPlayOnce, "play.orderPlayOnce", "播放单项（不重复）", "", ""},
    {C::OneKey, "repeat.oneKey", "一键式选择复读区", "", ""},
    {C::SetStart, "repeat.setStart", "设置开始点", "", ""},
    {C::SetEnd, "repeat.setEnd", "设置结束点", "", ""},
    {C::MoveStartLeft, "repeat.moveStartLeft", "左移开始点", "", ""},
    {C::MoveEndRight, "repeat.moveEndRight", "右移结束点", "", ""},
    {C::ClearRegion, "repeat.clear", "清除复读区", "", ""},
    {C::BackToStart, "repeat.backToStart", "返回开始点", "", ""},
    {C::AutoRepeat, "repeat.auto", "自动逐句复读", "", ""},
    {C::PrevSentence, "repeat.previousSentence", "复读上一句", "", ""},
    {C::NextSentence, "repeat.nextSentence", "复读下一句", "", ""},
    {C::VolumeUp, "play.volumeUp", "增加音量", "", ""},
    {C::VolumeDown, "play.volumeDown", "减小音量", "", ""},
    {C::FreeDictation, "dictation.free", "自由模式", "", ""},
    {C::SentenceDictation, "dictation.sentence", "智能模式", "", ""},
    {C::HardSentenceDictation, "dictation.hard", "听写难点句库", "", ""},
    {C::Split, "split.start", "自动断句", "", "分析当前音频文件中的句子，并将句子加到选择列表中"},
    {C::CancelSplit, "split.cancel", "取消自动断句", "", "如果自动断句占用太多时间，取消断句"},
    {C::SplitSettings, "split.settings", "断句设置...", "", ""},
    {C::MergeUp, "sentences.mergeUp", "当前复读区向上合并", "", ""},
    {C::MergeDown, "sentences.mergeDown", "当前复读区向下合并", "", ""},
    {C::DictationHint, "dictation.hint", "听写提示...", "", ""},
    {C::AddRadio, "tools.addRadio", "添加电台...", "", ""},
    {C::Notes, "tools.notes", "学习笔记...", "", ""},
    {C::FullText, "tools.fullText", "全文浏览与翻译...", "", ""},
    {C::Alarms, "tools.alarms", "定时器...", "", ""},
    {C::Options, "tools.options", "设置...", "", ""},
    {C::Help, "help.contents", "帮助...", "", ""},
    {C::Website, "help.website", "访问网站...", "", ""},
    {C::Mail, "help.mail", "发送邮件给作者...", "", ""},
    {C::About, "help.about", "关于 Kestrova...", "", ""},
    {C::Download, "help.download", "资源下载", "", "与本软件相关的软件或资源下载"},
    {C::Play, "play.play", "播放", "", ""},
    {C::Pause, "play.pause", "暂停", "", ""},
    {C::Mute, "play.mute", "静音", "", ""},
    {C::SpeedUp, "play.speedUp", "加快播放速度", "", ""},
    {C::SlowDown, "play.slowDown", "减慢播放速度", "", ""},
    {C::NormalSpeed, "play.normalSpeed", "恢复播放速度", "", ""},
    {C::MinimizeRestore, "view.minimizeRestore", "最小化/还原窗口", "", ""},
    {C::SaveRegion, "repeat.saveRegion", "保存复读区", "", ""},
};
} // namespace

const std::vector<CommandInfo>& AllCommands() {
    return kCommands;
}

const CommandInfo& Command(CommandId id) {
    return kCommands[std::size_t(id)];
}

QString CommandLabel(CommandId id) {
    return QString::fromUtf8(Command(id).label);
}

std::optional<CommandId> CommandByName(const QString& name) {
    static const QHash<QString, CommandId> byName = [] {
        QHash<QString, CommandId> h;
        for (const CommandInfo& c : kCommands)
            h.insert(QString::fromLatin1(c.name), c.id);
        return h;
    }();
    const auto it = byName.constFind(name);
    if (it == byName.constEnd()) return std::nullopt;
    return *it;
}

} // namespace kestrova
