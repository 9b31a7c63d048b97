// The application's process-wide state that the shell owns and the other
// subsystems read (and a few write): the pair of movie records, the
// current pair's view state, the busy state, the open and save options,
// names and history, the settings held in memory and the environment found
// at start. Everything here is plain data, free of window handles (those
// are in state/app_windows.h), so that the code that reads it builds
// everywhere. Touched by the main thread only.
#ifndef TWR_STATE_APP_STATE_H
#define TWR_STATE_APP_STATE_H

#include "shared/wintypes.h"

#include <stdint.h>

// Trimming states of the view.
enum TrimState {
    kTrimNone = 0,
    kTrimArmedFirst = 10,   // 10-15: armed for drawing (free, 4:3, 16:9, 3:2, 480:240, 400:240)
    kTrimDrawnFirst = 20,   // 20-25: drawn and draggable
    kTrimApplied = 30,
};

// Busy states that guard the long loops.
enum BusyState { kBusyIdle = 0, kBusyPlaying = 1, kBusySaving = 2 };

enum { kNameBytes = 512, kHistoryNames = 10, kHistoryEntries = 5, kPathBytes = 260 };

// A movie record; sources/movie_source.h defines it and
// sources/movie_records.cpp defines the three records below.
struct MovieSource;

// What the show, play and save routines are handed.
struct StereoPair {
    char szName[260];       // the output name while saving; the file of a full-screen file playback
    MovieSource *pOutput;   // the save target
    MovieSource *pLeft;     // always g_pLeft
    MovieSource *pRight;    // always g_pRight
};

// The movie records and the pair.
extern MovieSource g_leftMovie, g_rightMovie, g_thirdMovie;
extern MovieSource *g_pLeft, *g_pRight, *g_pThird;
extern StereoPair g_stereoPair;

// The pair's view state.
extern int g_nDisplayMode;      // DisplayMode 0-7 (start 5)
extern int g_nMirror;           // mirror variant of modes 0 and 1 (0-3)
extern int g_nAnatype;          // grey anaglyph variant 0-3
extern int g_nAnactype;         // colour anaglyph variant 0-3
extern int g_bSwapped;          // left and right exchanged
extern int g_nShiftX, g_nShiftY;
extern int g_nFrame;            // frame position, counted from each record's nStart
extern int g_nEndOffset;        // frames cut off the end of the pair
extern int g_nFrameCount;       // length of the pair
extern int g_nZoom;             // view zoom in percent, 0 fits the window (100 at load)
extern int g_bFullScreen;
extern int g_nDualMonitor;      // 0 off, 1 based on the left monitor, 2 on the right
extern int g_nPendingDual;      // choice for the next full-screen switch
extern int g_nTrimState;
extern RECT g_rcTrim;           // top-down, in the common region; right and bottom exclusive
extern int g_bHelpOverlay;
extern int g_bBlurFrame;        // blurred frame on ("nBordwfon")
extern int g_nAutoColour;       // 0 off, 1 left-based, 2 right-based
extern char g_szAutoColourLabel[3][10];
extern int g_nRightField;       // row parity taken from the right movie in the discard-field mode
extern int g_nWcent;            // placement of the two images when reduced (0-2)
extern int g_nPosScale;         // frames per unit of the position bar (1 or 10)

// Busy and play state.
extern int g_nBusy;             // BusyState
extern int g_bCancel;
extern int g_nPlayChain;        // 0; 1-3 playing left, right, pair; 10-12 play again after the loop
extern int g_nPlayEye;          // 0 the pair, 1 the left movie only, 2 the right movie only
extern int g_bGLActive;
extern int g_bGLRedrawPending;

// Open options.
extern int g_nSType;            // input stereo type of a single stereo file (0-11)
extern int g_nSis;              // vertical shift of the SIS types
extern int g_bDeinterlaceOpt;
extern int g_nFieldMode;        // 0 duplicate a field, 1 discard a field
extern int g_nTurnChoiceL, g_nTurnChoiceR;
extern int g_nTurnL, g_nTurnR;  // turn codes the frame fetch applies
extern int g_bStereoSound;
extern int g_nSoundlr;          // 1 takes the sound from the movie opened as right
extern int g_nOpenModeL, g_nOpenModeR;
extern int g_bTwoStreamAvi;
extern int g_nParallaxH, g_nParallaxV;
extern int g_bReopening;

// Names and history.
extern char g_szLeftName[kNameBytes];
extern char g_szRightName[kNameBytes];
extern char g_szSaveName[kNameBytes];
extern char g_szRightSaveName[kNameBytes];
extern char g_szPlayFile[kNameBytes];
extern char g_szListFile[kNameBytes];
extern char g_szHistory[kHistoryNames][kPathBytes];  // 2k right (or single) movie, 2k+1 left movie
extern int g_nHistoryType[kHistoryEntries];

// Save options.
extern int g_nSaveLayout;
extern int g_bSavePreview;      // start 1
extern int g_bSaveResize;
extern int g_nSaveWidth, g_nSaveHeight;
extern int g_bSmartSize, g_bKeepAspect, g_bHalfSize, g_bSaveBorder;
extern int g_n3dAviKind;
extern int g_nJpegQuality;      // 75 at load
extern int g_bRecDateSet, g_nRecYear, g_nRecMonth, g_nRecDay, g_nRecHour, g_nRecMinute, g_nRecSecond;

// Save in progress.
extern int g_nSavePart;
extern int g_nSaveStartL, g_nSaveStartR;
extern int g_bCopyStreams;
extern int g_nCopyFrames;
extern int g_nBatchIndex, g_nBatchCount;

// Settings held in memory.
extern int g_bRepeat;           // "nRepeat"
extern int g_nWaku;             // frame width ("nWaku")
extern int g_nBordwf;           // blurred-frame width ("nBordwf")
extern COLORREF g_dwWCOL;       // frame colour ("dwWCOL")
extern int g_bSound1;           // "nSound1"
extern int g_bAskFileType;      // "nFTask" (1 at load)
extern int g_nMovrate;          // "nMovrate"
extern int g_bOldQT;            // "nOldQT"
extern int g_nStrch;            // "nStrch"
extern int g_nGmmar, g_nGmmab;  // left and right anaglyph gamma in hundredths
extern int g_aGammaRed[256];    // left-eye gamma table
extern int g_aGammaBlue[256];   // right-eye gamma table

// Full-screen settings and the shell's choice of what the devices play.
extern int g_nVidia;            // ShutterDevice
extern int g_n3DSize, g_n3DWidth, g_n3DHeight;
extern int g_n3DBpp;            // 1 = 16 bits, 2 = 32 bits
extern int g_n3DBits;
extern int g_nStr3D, g_nSound, g_nBunkatu, g_nAutoRegSet;
extern int g_nPlaySource;       // PlaySource
extern int g_nDispFormat;

// Environment found at start.
extern char g_szProgramFolder[kPathBytes];  // with a trailing backslash
extern char g_szHelpPath[kPathBytes];
extern char g_szFfmpegPath[kPathBytes];
extern char g_szCosimaPath[kPathBytes];
extern int g_bCosima;
extern char g_szTempAvi[kPathBytes];        // the placeholder movie
extern char g_szTempAvs[kPathBytes];        // the AviSynth script
extern char g_szExePath[kPathBytes];
extern int g_nCacheBudget;                  // bytes for the in-memory sound of a movie
extern BYTE g_blendTable[256 * 256];        // [i * 256 + j] = i * j / 255
extern int g_nPlugins;
extern BYTE g_pluginInfo[528];              // the outside plug-in's information block (mpeg/ gives its layout)
extern int g_bPluginFound;
extern char g_szOpenFilter[1024];
extern int g_bResizedForLoops, g_bResizedForView;

// The iZ3D input table, loaded the first time display mode 7 is chosen.
extern unsigned short *g_pIz3dTable;

// The start values the main window's creation sets (the values at load
// are the variables' initialisers): pointers to their own records, the
// pair, sizes and defaults. The records themselves are closed by
// ResetMovieRecords (sources/movie_records.h).
void SetStartValues();

// The applied trimming rectangle, or null while none is applied.
const RECT *AppliedTrim();

// A quarter of the physical memory, limited to 16,000,000-64,000,000.
int MemoryBudgetFromPhysical(uint64_t physicalBytes);

// Points g_pLeft/g_pRight (and the pair) at the given records.
void SetPairRecords(MovieSource *left, MovieSource *right);

// The left/right exchange: the eye pointers swap, the offsets are negated
// and the turn codes exchanged; records, start offsets and layouts stay.
void ExchangeLeftRight();

#endif
