// The host dialog's fields as one value: read from and written to the
// dialog, loaded from and stored into the host's record (store/host_record.h).
// The user-interface thread only (the dialog and the SqliteTable/Dataset
// objects belong to it).
#pragma once

#include <array>
#include <cstdint>

#include "runtime/text.h"
#include "store/host_record.h"

class SqliteDB;

struct HostForm {
    Text name;
    Text address;
    std::array<std::int32_t, kHostClasses> time = kNewHostTimes;
    std::array<std::int32_t, kHostClasses> color = kNewHostColours;
    bool record = false;
    bool autoStart = true;
    // Set by loadHostForm: a stored text with characters GBK lacks (written
    // by another program) shows "?" in their place.
    HostTextsExact stored;
};

// The stored texts a save leaves as they are: a name or address the dialog
// could not show exactly and the user did not edit, so the "?" it showed
// never replaces the characters in the file.
struct KeptTexts {
    bool name = false;
    bool address = false;
};

// The first of the dialog's text fields whose typed text the code page
// cannot hold (an emoji, Korean, a rare ideograph): read, each such
// character would be "?", and the host saved would be another host.
enum class LostText { none, name, address };
LostText lostHostText();

// The loaded host dialog's fields as they are stored: the address without
// blanks at its ends, name and address cut to kHostTextBytes and defaulted ("[未命名]", "127.0.0.1"), each threshold
// parsed as the integer edit box does ("" and unparsable: 0).
HostForm readHostForm();
void writeHostForm(const HostForm& form);

// The host's stored fields; false (form untouched) when no such host.
bool loadHostForm(SqliteDB& db, int hostId, HostForm& form);
// Adds the host (hostId <= 0) or rewrites the stored one. Returns the
// host's id; 0 when nothing was stored.
std::int64_t storeHostForm(SqliteDB& db, int hostId, const HostForm& form, KeptTexts kept = {});
