#pragma once
// The profile's defaults for new elements. A generation makes elements by the hundred thousand, each of
// which would look at the profile file again: while a CHeldElementDefaults lives, the elements its thread
// makes take the values it read once.
class CHeldElementDefaults {
public:
    CHeldElementDefaults();
    ~CHeldElementDefaults();
    CHeldElementDefaults(const CHeldElementDefaults&) = delete;
    CHeldElementDefaults& operator=(const CHeldElementDefaults&) = delete;

    // The held value on this thread, else the profile's.
    static int LineWidth();
    static int CreateFixed();
    static int PictureDrawMode();

private:
    int m_nLineWidth, m_nCreateFixed, m_nPictureDrawMode;
    CHeldElementDefaults* m_pOuter;
};
