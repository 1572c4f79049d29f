#include "SentenceModel.h"

#include "common/Util.h"

#include <QFont>

namespace kestrova {

CSentenceModel::CSentenceModel(QObject* parent) : QAbstractListModel(parent) {
    connect(&m_splitter, &CSplitWorker::progress, this, [this](int pos, int len) {
        if (pos == 0 && len == 0)
            Q_EMIT splittingProgress(-10);
        else if (len > 0)
            Q_EMIT splittingProgress(int(double(pos) / double(len) * 100.0));
    });
    connect(&m_splitter, &CSplitWorker::finished, this, [this](const SentenceArray& items) {
        SetSentences(items);
        Changed();
    });
}

CSentenceModel::~CSentenceModel() {
    m_splitter.StopSplit();
}

int CSentenceModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant CSentenceModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    const SEL_ITEM& s = m_items[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return TimeText(s.start) + " - " + TimeText(s.end);
    case StartRole:
        return s.start;
    case EndRole:
        return s.end;
    case CurrentRole:
        return index.row() == m_current;
    default:
        return {};
    }
}

QString CSentenceModel::SentenceFilePath() {
    return DataFolder() + "Temp/sellist.ist";
}

void CSentenceModel::SetCurrent(int index) {
    if (m_current == index) return;
    m_current = index;
    Q_EMIT currentChanged(index);
}

bool CSentenceModel::SelectSentence(int index) {
    if (m_locked) return false;
    return Select(index);
}

bool CSentenceModel::Choose(int index) {
    return Select(index);
}

bool CSentenceModel::Select(int index) {
    if (index < 0) {
        SetCurrent(-1);
        return true;
    }
    if (index >= Count()) return false;
    SetCurrent(index);
    Q_EMIT rowChosen(index);
    const SEL_ITEM chosen = m_items[std::size_t(index)];
    Q_EMIT sentenceChosen(chosen.start, chosen.end);
    return true;
}

bool CSentenceModel::CanPrevious() const {
    return !m_locked && m_current >= 1;
}
bool CSentenceModel::CanNext() const {
    return !m_locked && m_current + 1 < Count();
}

void CSentenceModel::Previous() {
    if (m_current - 1 >= 0) SelectSentence(m_current - 1);
}

void CSentenceModel::Next() {
    if (m_current + 1 < Count()) SelectSentence(m_current + 1);
}

void CSentenceModel::SetSentences(const SentenceArray& items) {
    beginResetModel();
    m_items = items;
    m_undo.clear();
    m_current = -1;
    endResetModel();
    Q_EMIT currentChanged(-1);
    Q_EMIT sentencesChanged();
}

void CSentenceModel::Clear() {
    beginResetModel();
    m_items.clear();
    m_undo.clear();
    m_current = -1;
    endResetModel();
    Q_EMIT currentChanged(-1);
    Q_EMIT cleared();
}

bool CSentenceModel::LoadSentenceFile() {
    if (!m_items.empty()) return false;
    SentenceArray items;
    if (!sentences::LoadFile(SentenceFilePath(), items)) return false;
    SetSentences(items);
    return true;
}

bool CSentenceModel::SaveSentenceFile() {
    if (m_items.empty()) return true;
    return CheckWrite(SentenceFilePath(), sentences::SaveFile(SentenceFilePath(), m_items));
}

void CSentenceModel::Changed() {
    // Merged, nudged or newly split sentences are the learner's work: written at once (a
    // crash keeps them) and packed with the file's user data.
    SaveSentenceFile();
    SetUserDataModified(true);
}

bool CSentenceModel::Merge(int row, bool up) {
    if (row < 0 || (up ? row == 0 : row + 1 >= Count())) return false;
    if (m_fixed) {
        ShowMessage(MessageKind::Warning, QString::fromUtf8("已存在LRC文件，无法合并！"));
        return false;
    }
    SentenceArray items = m_items;
    if (!(up ? sentences::MergeUp(items, row) : sentences::MergeDown(items, row))) return false;
    SetSentences(items);
    Changed();
    return true;
}

void CSentenceModel::Modify(int row, std::uint32_t start, std::uint32_t end) {
    SentenceArray items = m_items;
    switch (sentences::Modify(items, row, start, end)) {
    case sentences::ModifyResult::Changed:
        SetSentences(items);
        Changed();
        break;
    case sentences::ModifyResult::StartNotBeforeEnd:
        ShowMessage(MessageKind::Warning,
                    QString::fromUtf8("开始点必须早于结束点，复读区未修改。"));
        break;
    case sentences::ModifyResult::OutOfRange:
        break;
    }
}

bool CSentenceModel::AddSentence(std::uint32_t start, std::uint32_t end) {
    const SEL_ITEM item{start, end};
    if (m_fixed || end <= start || std::find(m_items.begin(), m_items.end(), item) != m_items.end())
        return false;
    const auto at =
        std::upper_bound(m_items.begin(), m_items.end(), item,
                         [](const SEL_ITEM& a, const SEL_ITEM& b) { return a.start < b.start; });
    const int row = int(at - m_items.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(at, item);
    m_undo.clear();
    if (m_current >= row) ++m_current;
    endInsertRows();
    Changed();
    return true;
}

bool CSentenceModel::MoveBoundary(int row, std::uint32_t at) {
    if (m_fixed || row < 1 || row >= Count()) return false;
    const SEL_ITEM before = m_items[std::size_t(row - 1)];
    const SEL_ITEM after = m_items[std::size_t(row)];
    // Both sentences keep at least a centisecond.
    at = std::clamp(at, before.start + 1, std::max(before.start + 1, after.end - 1));
    if (at >= after.end || at == after.start) return false;
    m_undo.emplace_back(row, after.start);
    SetBoundary(row, at);
    return true;
}

bool CSentenceModel::UndoBoundary() {
    if (m_undo.empty() || m_fixed) return false;
    const auto [row, at] = m_undo.back();
    m_undo.pop_back();
    if (row < 1 || row >= Count()) return false;
    SetBoundary(row, at);
    return true;
}

void CSentenceModel::SetBoundary(int row, std::uint32_t at) {
    m_items[std::size_t(row - 1)].end = at;
    m_items[std::size_t(row)].start = at;
    Q_EMIT dataChanged(index(row - 1), index(row));
    Changed();
    // The sentence being repeated follows its new edges.
    if (m_current == row - 1 || m_current == row) {
        const SEL_ITEM& current = m_items[std::size_t(m_current)];
        Q_EMIT boundaryMoved(current.start, current.end);
    }
}

void CSentenceModel::SetLocked(bool locked) {
    m_locked = locked;
}

void CSentenceModel::StartSplit(const QString& path, int lengthMs, const SplitParams& params,
                                bool highPriority) {
    m_splitter.StartSplit(path, lengthMs, params, highPriority);
}

} // namespace kestrova
