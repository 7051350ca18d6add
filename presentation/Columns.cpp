#include "presentation/Columns.h"

#include <algorithm>
#include <array>

#include "model/HistoryData.h"
#include "model/RecordEvidence.h"
#include "presentation/AnsiText.h"

namespace tallowmark {

namespace {
using enum CellAlignment;
using enum ColumnPlace;
using enum ColumnHolds;
using enum ColumnKind;

std::string_view Kept(std::string& scratch, std::string text) { return scratch = std::move(text); }

// The text and the sort key of a time the evidence reads: a time that is "never" sorts
// after every other.
std::string_view TimeText(const RecordTime& time, std::string& scratch) {
    switch (time.state) {
        case RecordTime::State::Set: return Kept(scratch, FormatTime(ToTimeValue(time.time), SHORT_TIME_FORMAT));
        case RecordTime::State::Never: return "never";
        case RecordTime::State::Absent: break;
    }
    return {};
}
std::int64_t TimeKey(const RecordTime& time) {
    switch (time.state) {
        case RecordTime::State::Set: return static_cast<std::int64_t>(time.time & 0x7FFFFFFFFFFFFFFFu);
        case RecordTime::State::Never: return INT64_MAX;
        case RecordTime::State::Absent: break;
    }
    return -1;
}

// The page title in the code page, character by character.
std::string TitleInCodePage(const RecordEvidence& evidence) {
    const std::string utf8 = Utf16ToUtf8(evidence.PageTitle());
    std::string text;
    for (std::string_view rest = utf8; !rest.empty();) {
        const Utf8Character character = DecodeUtf8(rest);
        const std::size_t length = std::max<std::size_t>(character.length, 1);
        const std::optional<std::string> byte = Utf8ToWindows1252(rest.substr(0, length));
        text += byte ? *byte : std::string(1, kNoCodePageCharacter);
        rest.remove_prefix(length);
    }
    return text;
}
std::string_view TitleInUtf8(const IndexRecord& record, std::string& scratch) {
    return Kept(scratch, Utf16ToUtf8(RecordEvidence(record).PageTitle()));
}

// The URL and LEAK records' own fields; the other records hold none. (The filter reads
// the cache names of every record: AsUrlRecord's test, without its call.)
template <std::string_view (UrlRecord::*Text)() const>
std::string_view UrlRecordText(const IndexRecord& record, std::string&) {
    if (record.Kind() != BlockKind::Url && record.Kind() != BlockKind::Leak) return {};
    return (AsUrlRecord(record).value().*Text)();
}
template <TimeValue (UrlRecord::*Time)() const>
std::string_view UrlTimeText(const IndexRecord& record, std::string& scratch) {
    const auto url = AsUrlRecord(record);
    return url ? Kept(scratch, FormatTime(((*url).*Time)(), SHORT_TIME_FORMAT)) : std::string_view();
}
template <TimeValue (UrlRecord::*Time)() const>
std::int64_t UrlTimeKey(const IndexRecord& record) {
    const auto url = AsUrlRecord(record);
    return url ? ((*url).*Time)() : 0;
}
// A list time shows the epoch for a stored time of zero and for one it cannot convert.
template <FileTime (UrlRecord::*Stored)() const>
const char* UrlTimeNote(const IndexRecord& record) {
    const auto url = AsUrlRecord(record);
    if (!url) return nullptr;
    switch (HowTimeShows(((*url).*Stored)())) {
        case ShownTime::NoneStored: return kNoTimeStored;
        case ShownTime::NotConvertible: return kTimeNotShown;
        case ShownTime::Local: break;
    }
    return nullptr;
}
template <RecordTimeField Field>
std::string_view EvidenceTimeText(const IndexRecord& record, std::string& scratch) {
    return TimeText(RecordEvidence(record).Time(Field), scratch);
}
template <RecordTimeField Field>
std::int64_t EvidenceTimeKey(const IndexRecord& record) {
    return TimeKey(RecordEvidence(record).Time(Field));
}

constexpr std::array kTable = std::to_array<Column>({
    {.title = "No.",
     .width = 50,
     .alignment = Right,
     .kind = Number,
     .text = [](const IndexRecord& record, std::string& scratch) {
         return Kept(scratch, std::to_string(std::uint64_t{record.RecordNumber()} + 1));
     },
     .numberKey = [](const IndexRecord& record) -> std::int64_t { return record.RecordNumber(); }},
    {.title = "Type",
     .width = 80,
     .text = [](const IndexRecord& record, std::string&) { return record.TypeName(); },
     .searched = true},
    {.title = "Data",
     .width = 400,
     .holds = Entries,  // the other records hold no URL
     .text = [](const IndexRecord& record, std::string&) { return record.UrlText(); },
     .searched = true},
    {.title = "Size",
     .width = 50,
     .alignment = Right,
     .kind = Number,
     .text = [](const IndexRecord& record, std::string& scratch) { return Kept(scratch, SizeText(record.Size())); },
     .numberKey = [](const IndexRecord& record) { return static_cast<std::int64_t>(record.Size()); }},
    {.title = "Modified Date",
     .width = 110,
     .holds = UrlRecords,
     .kind = Time,
     .text = UrlTimeText<&UrlRecord::ModifiedTime>,
     .numberKey = UrlTimeKey<&UrlRecord::ModifiedTime>,
     .grouped = true,
     .note = UrlTimeNote<&UrlRecord::ModifiedFileTime>},
    {.title = "Accessed Date",
     .width = 110,
     .holds = UrlRecords,
     .kind = Time,
     .text = UrlTimeText<&UrlRecord::AccessedTime>,
     .numberKey = UrlTimeKey<&UrlRecord::AccessedTime>,
     .grouped = true,
     .note = UrlTimeNote<&UrlRecord::AccessedFileTime>},
    {.title = "Cache Dir",
     .width = 75,
     .place = ClassicUnlessVersion4,
     .holds = UrlRecords,
     .text = UrlRecordText<&UrlRecord::CacheDirText>,
     .grouped = true,
     .searched = true},
    {.title = "Filename",
     .width = 110,
     .place = ClassicUnlessVersion4,
     .holds = UrlRecords,
     .text = UrlRecordText<&UrlRecord::FileNameText>,
     .grouped = true,
     .searched = true},
    {.title = "Status",
     .width = 65,
     .place = Extra,
     .holds = Entries,
     .text = [](const IndexRecord& record, std::string&) { return StatusName(record.Marks().Status()); },
     .searched = true},
    {.title = "Kind",
     .width = 95,
     .place = Extra,
     .holds = Entries,
     .text = [](const IndexRecord& record, std::string&) { return EntryKindName(record.Marks().Kind()); },
     .searched = true},
    {.title = "User",
     .width = 90,
     .place = Extra,
     .holds = Entries,
     .text = [](const IndexRecord& record, std::string&) { return RecordEvidence(record).User(); },
     .searched = true},
    {.title = "Page Title",
     .width = 250,
     .place = Extra,
     .holds = Entries,
     .text = [](const IndexRecord& record,
                std::string& scratch) { return Kept(scratch, TitleInCodePage(RecordEvidence(record))); },
     .shownText = TitleInUtf8,
     .textKey = TitleInUtf8,
     .searched = true},
    {.title = "Hits",
     .width = 45,
     .alignment = Right,
     .place = Extra,
     .holds = Entries,
     .kind = Number,
     .text = [](const IndexRecord& record, std::string& scratch) {
         const auto hits = RecordEvidence(record).Hits();
         return hits ? Kept(scratch, std::to_string(*hits)) : std::string_view();
     },
     .numberKey = [](const IndexRecord& record) {
         const auto hits = RecordEvidence(record).Hits();
         return hits ? std::int64_t{*hits} : -1;
     },
     .searched = true},
    {.title = "Cached Size",
     .width = 80,
     .alignment = Right,
     .place = Extra,
     .holds = Entries,
     .kind = Number,
     .text = [](const IndexRecord& record, std::string& scratch) {
         const auto size = RecordEvidence(record).CachedSize();
         return size ? Kept(scratch, SizeText(*size)) : std::string_view();
     },
     .numberKey = [](const IndexRecord& record) {
         const auto size = RecordEvidence(record).CachedSize();
         return size ? static_cast<std::int64_t>(*size & 0x7FFFFFFFFFFFFFFFu) : -1;
     },
     .searched = true},
    {.title = "Expires",
     .width = 110,
     .place = Extra,
     .holds = Entries,
     .kind = Time,
     .text = EvidenceTimeText<RecordTimeField::Expires>,
     .numberKey = EvidenceTimeKey<RecordTimeField::Expires>,
     .searched = true},
    {.title = "Last Checked",
     .width = 110,
     .place = Extra,
     .holds = Entries,
     .kind = Time,
     .text = EvidenceTimeText<RecordTimeField::LastChecked>,
     .numberKey = EvidenceTimeKey<RecordTimeField::LastChecked>,
     .searched = true},
});

// The classic columns first, then the extra ones. (Whether each has the functions its kind
// needs is a test's: a sanitizing build cannot compare them to null in a constant.)
constexpr bool ExtrasLast() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if ((kTable[i].place == Extra) != (i >= static_cast<std::size_t>(kFirstExtraColumn))) return false;
    return true;
}
static_assert(ExtrasLast());
static_assert(kTable.size() - kFirstExtraColumn <= ExtraColumns::kRoom);
static_assert(std::string_view(kTable[kColumnLastChecked].title) == "Last Checked");
}  // namespace

constinit const std::span<const Column> kRecordColumns = kTable;

const Column* ColumnOf(int column) {
    return column >= 0 && static_cast<std::size_t>(column) < kTable.size() ? &kTable[static_cast<std::size_t>(column)]
                                                                         : nullptr;
}

bool ListShows(int column, bool isVersion4, ExtraColumns extras) {
    const Column* info = ColumnOf(column);
    if (!info) return false;
    switch (info->place) {
        case Classic: return true;
        case ClassicUnlessVersion4: return !isVersion4;
        case Extra: return extras.Has(column);
    }
    return false;
}

std::vector<int> ShownColumns(bool isVersion4, ExtraColumns extras) {
    std::vector<int> columns;
    for (int column = 0; column < static_cast<int>(kTable.size()); ++column)
        if (ListShows(column, isVersion4, extras)) columns.push_back(column);
    return columns;
}

int ColumnCount(bool isVersion4) {
    int count = 0;
    for (int column = 0; column < kFirstExtraColumn; ++column) count += ListShows(column, isVersion4, {});
    return count;
}

std::vector<std::string> ExtraColumnTitles(ExtraColumns extras) {
    std::vector<std::string> titles;
    for (int column = kFirstExtraColumn; column < static_cast<int>(kTable.size()); ++column)
        if (extras.Has(column)) titles.emplace_back(kTable[static_cast<std::size_t>(column)].title);
    return titles;
}

ExtraColumns ExtraColumnsTitled(const std::vector<std::string>& titles) {
    ExtraColumns extras;
    for (int column = kFirstExtraColumn; column < static_cast<int>(kTable.size()); ++column)
        if (std::find(titles.begin(), titles.end(), kTable[static_cast<std::size_t>(column)].title) != titles.end())
            extras.Set(column, true);
    return extras;
}

std::string CellText(const IndexRecord& record, int column, bool isVersion4) {
    const Column* info = ColumnOf(column);
    if (!info || !Fills(*info, record, isVersion4)) return {};
    std::string scratch;
    const std::string_view text = info->text(record, scratch);
    return scratch.empty() ? std::string(text) : std::move(scratch);
}

std::string ShownCellText(const IndexRecord& record, int column, bool isVersion4) {
    const Column* info = ColumnOf(column);
    if (!info || !Fills(*info, record, isVersion4)) return {};
    std::string scratch;
    if (info->shownText) return std::string(info->shownText(record, scratch));
    return AnsiToUtf8(info->text(record, scratch));
}

ShownTime HowTimeShows(FileTime stored) {
    if (stored == 0) return ShownTime::NoneStored;
    // The epoch itself is a time like any other.
    return ToTimeValue(stored) == 0 && InstantOf(stored) != 0 ? ShownTime::NotConvertible : ShownTime::Local;
}

std::string CellNote(const IndexRecord& record, int column, bool isVersion4) {
    const Column* info = ColumnOf(column);
    if (!info || !info->note || !Fills(*info, record, isVersion4)) return {};
    const char* note = info->note(record);
    return note ? note : std::string();
}

}  // namespace tallowmark
