// Report list views with a fixed row height and colours per cell, both by
// replacing the window procedure of the list's parent (the window that gets
// its notifications).
//
// Row height: the parent answers the list's measure-item request with one
// process-wide height; the list asks once, when set-row-height briefly
// makes it owner-drawn, and keeps that height.
// Cell colours: kept per list view in its "LVINFO" XML document (an XML DOM
// component reached through automation), or, where no such component can be
// created, in memory with the same content; the parent's custom-draw
// handling paints each cell from it. Colours belong to row positions.
//
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

#include <memory>

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

void setRowHeight(HWND parent, HWND listView, int height);
void setCellColours(HWND parent, HWND listView, int row, int column, COLORREF text, COLORREF back);

// The list's store, nullptr before its first cell colour (tests, diagnostics).
CellColourStore* cellColoursOf(HWND listView);
