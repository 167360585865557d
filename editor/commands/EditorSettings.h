#pragma once

class CSettingsStore;

// The editor's own settings, kept in the section "Settings" beside the
// colour lists: the scale, the copies around the centre and the toggles.
struct CEditorSettings
{
    double scale = 1.0;
    int copies = 1; // 1 (off) to 24
    bool mirror = false;
    bool guides = false;
    bool polarSnap = false;
    bool cycleColours = false; // copies step through the colour lists

    // A missing or damaged value gives its default; so does a scale that
    // cannot be used. The scale is the leading number of its text.
    static CEditorSettings Load(const CSettingsStore &store);
    // Makes the section hold exactly these entries.
    void Save(CSettingsStore &store) const;
};
