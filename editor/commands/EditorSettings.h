#pragma once

#include "model/Copies.h"

class CSettingsStore;

// The editor's own settings, kept in the section "Settings" beside the
// colour lists: the copies of the next clicks (Copies, CopySpan in degrees,
// CopyArc 0 closed or 1 open, CopyScale, Mirror), the scale and the toggles.
struct CEditorSettings : CopySettings
{
    double scale = 1.0;
    bool guides = false;
    bool polarSnap = false;
    bool cycleColours = false; // copies step through the colour lists
    bool smooth = false;       // the canvas draws the shapes antialiased

    // A missing or damaged value gives its default; so does a scale that
    // cannot be used, and a span that makes no copies with the rest. The
    // scale is the leading number of its text.
    static CEditorSettings Load(const CSettingsStore &store);
    // Makes the section hold exactly these entries.
    void Save(CSettingsStore &store) const;
};
