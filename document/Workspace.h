// The main frame's state that the core reads and writes: the current tool, the
// drawing colours and tool values, the picture counters, the in-memory clipboard and
// where step files go. The editor and the batch tool each own one and lend it to
// their documents. `DocumentHost` is how the core talks back to whoever drives it:
// messages, questions, progress and refresh requests.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "StepStorage.h"

class COrinDoc;
// The calibration standards and the current calibration; defined and made by the
// measurement code (measure/MeasureState.h).
struct MeasureSettings;

class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    // A message box with one button (the system's own text).
    virtual void Message(const std::string& text) = 0;
    // An OK / Cancel question; true for OK.
    virtual bool Ask(const std::string& question) = 0;
    // The main frame's progress bar, 0 .. 100.
    virtual void Progress(int percent) {}
    // Asked between rows by long operations: true stops the operation, which then
    // leaves the layer as it was.
    virtual bool Cancelled() { return false; }
    // The document's pixels, layers or history changed: redraw views, panel, title.
    virtual void Refresh(COrinDoc& doc) {}
    // The main frame's status bar text.
    virtual void StatusText(const std::string& text) {}
    // The drawing colours changed (colour pick): update the colour display.
    virtual void ColoursChanged() {}
    // The text tool asks for the text dialog "글자입력": a new text at canvas point (x, y)
    // (top-down pixels), or with `edit` the current text layer's text.
    virtual void TextRequested(COrinDoc& doc, int x, int y, bool edit) {}
    // The system clipboard as a device-independent bitmap; the default keeps it in memory.
    virtual void SetClipboardDib(const std::vector<uint8_t>& dib) { m_clipboard = dib; }
    virtual std::vector<uint8_t> ClipboardDib() { return m_clipboard; }
    // A command made a new document (a channel split): the editor shows it in a window
    // of its own, the batch tool writes it beside its output. The default drops it.
    virtual void NewDocument(std::unique_ptr<COrinDoc> doc);

private:
    std::vector<uint8_t> m_clipboard;
};

// A host that says nothing and answers every question yes (tests, batch runs).
class SilentHost : public DocumentHost {
public:
    void Message(const std::string& text) override { messages.push_back(text); }
    bool Ask(const std::string& question) override {
        questions.push_back(question);
        return answer;
    }
    bool answer = true;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
};

struct Workspace {
    DocumentHost* host = nullptr;
    std::shared_ptr<MeasureSettings> measure;  // made on first use

    // Folder of the step files ("%dud%d.tmp", "WrIniLrList_Head_%d.tmp") and where
    // their bytes go.
    std::string stepFolder = ".";
    std::shared_ptr<StepStorage> steps = std::make_shared<DiskStepStorage>();
    // The user was told that a step could not be kept (not again until one is).
    bool stepNotKeptSaid = false;
    // A saved file that replaces an existing one reaches the disk before the rename
    // (the editor); a batch run leaves that to the system, as other converters do.
    bool durableSaves = true;
    // JPEG pictures are turned upright by their EXIF orientation when opened (a preference).
    bool exifOrientation = true;
    // Document numbers: 100 at start, each document takes counter + 1, at most 999.
    int documentCounter = 100;
    // Number shown in "Captured Image %d" and the resource picture titles.
    int pictureCounter = 1;
    int NextDocumentNumber() { return documentCounter = documentCounter < 999 ? documentCounter + 1 : 999; }

    // Tools.
    int currentTool = -1;
    int previousTool = -1;
    int currentCommand = -1;
    uint32_t foreground = 0x000000;  // colours: red in the low byte
    uint32_t background = 0xFFFFFF;
    uint32_t textColour = 0x000000;
    // The text tool's current face, stored size (twice the dialog's number), style
    // (0 Regular .. 3 Bold Italic) and decorations; the settings file keeps them.
    std::string textFace = "NanumGothic";
    int textSize = 24;
    int textStyle = 0;
    bool textStrikeout = false;
    bool textUnderline = false;
    int brushSize = 1;
    int soft = 0;
    int inclusionLimit = 25;
    int edgeSpread = 0;
    int gradientKind = 1;
    int gradientShape = 1;
    uint32_t searchColour = 0;
    int rangeTolerance = 10;
    int rangeMode = 0;
    int outlineKind = 0;
    int gridGap = -16;  // sign: shown when positive
    uint32_t gridColour = 0xC0C0C0;
    bool blinkPhase = false;

    // New-picture settings.
    int newWidth = 0;
    int newHeight = 0;
    int newFill = -1;
    int newBpp = 32;

    // The last copied area, kept for pasting back: the device-independent bitmap put
    // on the clipboard, its coverage (rows bottom-up), the box's place in the source
    // layer and that layer's geometry and vector data.
    struct CopiedArea {
        std::vector<uint8_t> dib;
        std::vector<uint8_t> coverage;
        int boxX = 0, boxY = 0, boxWidth = 0, boxHeight = 0;
        int layerX = 0, layerY = 0, layerWidth = 0, layerHeight = 0;
        int kind = 0;
        uint32_t colour = 0;
        std::u16string text;
        int textLength = 0;
        std::array<uint8_t, 400> styleRecord{};
    } copied;

    void Message(const std::string& text) const {
        if (host) host->Message(text);
    }
    bool Ask(const std::string& question) const { return host ? host->Ask(question) : true; }
    void Progress(int percent) const {
        if (host) host->Progress(percent);
    }
    bool Cancelled() const { return host && host->Cancelled(); }
    void NewDocument(std::unique_ptr<COrinDoc> doc) const;
};
