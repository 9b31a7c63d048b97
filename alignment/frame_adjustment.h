// The alignment values turned into what the renderers apply: the
// activation decides whether an alignment is in force and builds one
// displacement mesh per eye, and the per-frame hook warps every fetched
// pair through them. In the per-frame mode every frame is aligned on its
// own, its values smoothed over neighbouring frames and kept in a log
// beside the left movie (alignment/frame_log.h).
#ifndef TWR_ALIGNMENT_FRAME_ADJUSTMENT_H
#define TWR_ALIGNMENT_FRAME_ADJUSTMENT_H

#include "alignment/crop_rect.h"
#include "alignment/displacement_mesh.h"
#include "sources/movie_source.h"

struct StereoPair;

// 1 while an alignment is in force: renderers then call
// ApplyFrameAdjustments on every fetched pair.
extern int g_bAdjustActive;
// One mesh per eye of the movies as opened (left, right), or null.
extern DisplacementMesh *g_pMeshLeft, *g_pMeshRight;
// The frame-sized window cut from the centre of an enlarged eye image
// (meaningful only while that eye's size value is positive).
extern RECT g_rcEnlargeCropL, g_rcEnlargeCropR;
// 1 when the user chose to reuse an existing per-frame log.
extern int g_bFrameLogRead;
// 1 while a save in the per-frame mode runs (set by the save commands).
extern int g_bFrameLogWrite;
enum { kFrameLogPathBytes = 260 };
extern char g_szFrameLogPath[kFrameLogPathBytes];
// The left movie's frame number of the pair being adjusted, set by the
// renderer before the hook: the key of the per-frame log.
extern int g_nAdjustFrameNo;
// The region of the current frame visible in both aligned images; after
// LoadFrameLogCrop the region common to every logged frame.
extern CropRect g_rcFrameCrop;

// After an automatic alignment, the easy adjustment or a rotation key: no
// alignment is in force when every warp value is 0 (outside the per-frame
// mode); else the meshes are built and, with automatic trimming, the
// trimming set to the region both aligned images cover. In the per-frame
// mode it offers to reuse an existing log. Then, unless busy, the pair is
// shown again. After the easy adjustment the caller also clears
// g_bAllFrameAdjust, before the call.
void ActivateAlignment(HWND mainWindow);

// Builds g_pMeshLeft and g_pMeshRight for frames of the sizes of the two
// given frames (those of the movies as opened), with the enlarge-crop
// windows of positive sizes. Both eyes get the perspective canvas, or
// neither, so that the warped frames keep one size. Returns 0, or 1 when a
// mesh could not be made (then neither is kept).
int BuildAlignmentMeshes(HWND owner, const PackedDib *leftFrame, const PackedDib *rightFrame);
void FreeAlignmentMeshes();

// The per-frame hook, on the records shown as left and right with their
// pCurrent frames just fetched: in the per-frame mode the frame's values
// (from the log, or aligned now) and meshes first; then both frames warped
// (cut back to the frame size where an eye is enlarged) into the records'
// pAligned, which become their pCurrent. A record whose pCurrent already is
// its aligned frame is not warped again. When the two warped frames would
// differ in size (a warp that failed for one eye) both keep their unwarped
// frames. The last argument is not used. Returns 0.
int ApplyFrameAdjustments(HWND owner, MovieSource *left, MovieSource *right, int unused);

// The movie-wide analysis of the per-frame mode, run before a save: every
// frame of the pair is fetched and aligned by itself (while an alignment is
// in force), its trailing means logged, with the progress in the main
// window's title and on the position bar and every message served between
// frames. Then the log is smoothed and, with automatic trimming, the
// trimming set to the region common to all frames. Nothing is analysed when
// the user chose to reuse the log. Returns 0, or 1 when cancelled (the log
// keeps the frames done; no smoothing, no trimming).
int AnalyseMoviePositions(HWND owner, StereoPair *pair);
// One frame of the analysis on the records shown as left and right:
// aligned (up to three passes), its visible region and values logged.
// Returns 1.
int AutoAlignFrame(HWND owner, MovieSource *left, MovieSource *right);

// A new frame holding the rectangle (left, top) - (right, bottom) of the
// frame, rows counted from the top, drawn through GDI at 1:1 with the
// frame's header and colour table. Null when the rectangle is empty or not
// inside the frame, or the frame cannot be made.
PackedDib *CropDib(HWND owner, const PackedDib *frame, int left, int top, int right, int bottom);

#endif
