// Report list views with a fixed row height and colours per cell, both by
// replacing the window procedure of the list's parent (the window that gets
// its notifications) through runtime/win32/subclass.h.
//
// Row height: the parent answers the list's measure-item request with one
// height shared by every list; the list asks once, when set-row-height
// briefly makes it owner-drawn, and keeps that height.
// Cell colours: kept per list view in its "LVINFO" XML document (an XML DOM
// component reached through automation), or, where no such component can be
// created, in memory with the same content; the parent's custom-draw
// handling paints each cell from it. Colours belong to row positions.
//
// The program's tables are the ListColours of its UiState (ui/ui_state.h);
// the free commands at the end act on those.
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

// The colours of one list view's cells (0x00BBGGRR values).
class CellColourStore {
public:
    virtual ~CellColourStore() = default;
    // Sets or overwrites the cell's colours.
    virtual void set(int row, int column, COLORREF text, COLORREF back) = 0;
    virtual bool find(int row, int column, COLORREF& text, COLORREF& back) = 0;
    virtual int cellCount() = 0;  // cells that have colours
};

// The LVINFO document of the list; nullptr when no XML DOM component exists.
std::unique_ptr<CellColourStore> createXmlColourStore(HWND parent, HWND listView);
std::unique_ptr<CellColourStore> createMemoryColourStore();

struct SubclassCall;

// The row-height and colour tables, and the parent procedures that use them.
// Parents and lists are added and never removed while it lives; when it
// goes, it takes its procedures out of the parents that still exist.
class ListColours {
public:
    ListColours() = default;
    ~ListColours();
    ListColours(const ListColours&) = delete;
    ListColours& operator=(const ListColours&) = delete;

    void setRowHeight(HWND parent, HWND listView, int height);
    void setCellColours(HWND parent, HWND listView, int row, int column, COLORREF text, COLORREF back);
    // The list's store, nullptr before its first cell colour.
    CellColourStore* coloursOf(HWND listView);

private:
    static LRESULT rowHeightProc(const SubclassCall& call, void* self);
    static LRESULT customDrawProc(const SubclassCall& call, void* self);
    LRESULT customDraw(const SubclassCall& call);

    struct ColourEntry {
        HWND listView;
        std::unique_ptr<CellColourStore> store;
    };
    std::vector<HWND> rowHeightParents_;
    int rowHeight_ = 0;
    std::vector<HWND> customDrawParents_;
    std::vector<ColourEntry> colourLists_;
};

// The program's lists (the current UiState's).
void setRowHeight(HWND parent, HWND listView, int height);
void setCellColours(HWND parent, HWND listView, int row, int column, COLORREF text, COLORREF back);
CellColourStore* cellColoursOf(HWND listView);
