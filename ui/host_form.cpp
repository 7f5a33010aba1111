#include "ui/host_form.h"

#include "monitor/host_address.h"
#include "runtime/convert.h"
#include "runtime/win32/window_commands.h"
#include "store/host_record.h"
#include "store/sqlite_dataset.h"
#include "store/sqlite_table.h"
#include "store/statements.h"
#include "ui/host_dialog.h"
#include "ui/host_text.h"
#include "ui/integer_edit.h"

namespace {

using namespace HostDlg;

const int kTimeBoxes[kHostClasses] = {编辑框_网络良好, 编辑框_网络正常, 编辑框_网络异常, 编辑框_网络超时};
const int kColourPickers[kHostClasses] = {颜色选择器_网络良好, 颜色选择器_网络正常, 颜色选择器_网络异常, 颜色选择器_网络超时};

::Unit field(int unit) { return unitOf(hostDialog(), unit); }

Text textOf(int unit) {
    Value v = getProperty(field(unit), Property::Content);
    const Text* text = std::get_if<Text>(&v);
    return text ? *text : Text();
}

int intOf(const Value& v) {
    const std::int32_t* n = std::get_if<std::int32_t>(&v);
    return n ? *n : 0;
}

bool checked(int unit) {
    Value v = getProperty(field(unit), Property::Checked);
    const bool* b = std::get_if<bool>(&v);
    return b && *b;
}

// The box's text read as the box itself reads it when it loses the focus,
// so a value typed without leaving the box ("99999999999", "1-2") is
// stored as the box would have shown it.
int thresholdOf(int unit) { return toInt(normaliseIntegerText(textOf(unit))); }

// The fields the dialog and the record hold alike, copied either way.
template <typename From, typename To> void copySharedFields(const From& from, To& to) {
    to.name = from.name;
    to.address = from.address;
    for (int i = 0; i < kHostClasses; ++i) {
        to.time[i] = from.time[i];
        to.color[i] = from.color[i];
    }
}

HostForm formOf(const HostRecord& host) {
    HostForm form;
    copySharedFields(host, form);
    form.record = host.logFlag != 0;
    form.autoStart = host.autoStart != 0;
    return form;
}

HostRecord recordOf(const HostForm& form) {
    HostRecord host;
    copySharedFields(form, host);
    host.logFlag = form.record ? 1 : 0;
    host.autoStart = form.autoStart ? 1 : 0;
    return host;
}

}  // namespace

HostForm readHostForm() {
    HostForm form;
    form.name = capHostText(textOf(编辑框_备注名称));
    // " 127.0.0.1 " would go to the name lookup, blanks and all.
    form.address = capHostText(TrimBlanks(textOf(编辑框_通讯地址)));
    if (form.name.empty()) form.name = "[未命名]";
    if (form.address.empty()) form.address = "127.0.0.1";
    for (int i = 0; i < kHostClasses; ++i) {
        form.time[i] = thresholdOf(kTimeBoxes[i]);
        form.color[i] = intOf(getProperty(field(kColourPickers[i]), Property::Colour));
    }
    form.record = checked(选择框1);
    form.autoStart = checked(选择框2);
    return form;
}

LostText lostHostText() {
    if (!textReadsExactly(field(编辑框_备注名称))) return LostText::name;
    if (!textReadsExactly(field(编辑框_通讯地址))) return LostText::address;
    return LostText::none;
}

void writeHostForm(const HostForm& form) {
    setProperty(field(编辑框_备注名称), Property::Content, form.name);
    setProperty(field(编辑框_通讯地址), Property::Content, form.address);
    for (int i = 0; i < kHostClasses; ++i) {
        setProperty(field(kTimeBoxes[i]), Property::Content, normaliseIntegerText(toText(form.time[i])));
        setProperty(field(kColourPickers[i]), Property::Colour, static_cast<std::int32_t>(form.color[i]));
    }
    setProperty(field(选择框1), Property::Checked, static_cast<std::int32_t>(form.record));
    setProperty(field(选择框2), Property::Checked, static_cast<std::int32_t>(form.autoStart));
}

bool loadHostForm(SqliteDB& db, int hostId, HostForm& form) {
    SqliteDataset rows;
    if (!rows.open(HostLoadSql(hostId), db) || !rows.requery() || !rows.moveNext()) return false;
    // A threshold the row cannot give stays at the new host's value.
    HostRecord host;
    for (int i = 0; i < kHostClasses; ++i) {
        host.time[i] = kNewHostTimes[i];
        host.color[i] = kNewHostColours[i];
    }
    readHostRecord(rows, host, kHostFormFields);
    form = formOf(host);
    form.stored = hostTextsExact(rows);
    return true;
}

std::int64_t storeHostForm(SqliteDB& db, int hostId, const HostForm& form, KeptTexts kept) {
    SqliteTable table;
    if (!openHostTable(table, db)) return 0;
    bool adding = hostId <= 0;
    if (adding ? !table.addNew() : !(table.find(HostSaveCondition(hostId)) && table.edit())) return 0;
    const HostRecord host = recordOf(form);
    for (HostField f : kHostFormFields) {
        // Left out of the statement: the column keeps its stored characters.
        if ((f == HostField::name && kept.name) || (f == HostField::address && kept.address)) continue;
        writeHostRecord(table, host, {f});
    }
    if (!table.update()) return 0;
    // Not db.lastInsertRowId(): monitor tasks insert log rows on the same
    // connection and may have done so since our insert.
    std::int64_t id = adding ? table.insertedRowId() : hostId;
    table.close();
    return id;
}
