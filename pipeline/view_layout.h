// Where the view window draws the pair: the fitting percentage, the
// pictures' rectangles in each display mode, the field parity of the
// interlaced picture, and the geometry of the trimming rectangle drawn with
// the mouse. Integer arithmetic throughout, as the view paints it.
#ifndef TWR_PIPELINE_VIEW_LAYOUT_H
#define TWR_PIPELINE_VIEW_LAYOUT_H

struct ViewRect {
    int x, y, w, h;
};

struct ViewLayoutRequest {
    int mode;              // DisplayMode
    int playEye;           // 0 the pair, 1 the left eye only, 2 the right eye only
    int clientW, clientH;
    int sourceW, sourceH;  // the eye region (one eye, modes 0, 1, 5) or the composed frame (2-4, 6, 7)
    int zoom;              // g_nZoom: 0 fits
    int waku;              // width of the frame around the pictures
    int wcent;             // placement of reduced pictures: 0 centred, 1 to the middle, 2 to the edges
    int mirror;            // mirror variant of modes 0 and 1
    int screenTop;         // screen row of the client area's top (for the field parity)
};

struct ViewLayout {
    int images;        // pictures that take part in the trimming: 0 when nothing can be drawn
    ViewRect pic[3];   // 0 and 1: left and right (top and bottom in mode 1); 2: the blend of mode 5
    ViewRect panel2;   // mode 7: the second panel
    int zoom;          // the percentage drawn at; the view stores it in g_nZoom
    int scale;         // source pixels per 100 screen pixels
    bool framed;       // modes 0 and 5: frames of width waku around the pictures
    bool mirrorFirst;  // mode 0: the left picture mirrored left to right; mode 1: the top one upside down
    bool mirrorSecond; // the right (bottom) picture likewise
    int parity;        // mode 4: -1, 0 or 1, added to the picture's row (already in pic[0].y)
};

ViewLayout ComputeViewLayout(const ViewLayoutRequest &r);

// The destination a picture is stretched to so that it shows mirrored: on
// each mirrored axis it starts at the rectangle's last pixel with a
// negative extent.
ViewRect MirroredDestination(const ViewRect &to, bool mirrorX, bool mirrorY);

// A point of the trimming rectangle.
struct TrimPoint {
    int x, y;
};

// The end point while drawing in trimming state 10-16: the mouse held inside
// the image, and the height by the state's aspect (10 free, 11 4:3, 12 16:9,
// 13 3:2, 14 480:240, 15 400:240).
TrimPoint TrimEndPoint(int state, TrimPoint start, TrimPoint mouse, const ViewRect &image);

// The applied trimming in source pixels of the common region (left, top,
// right, bottom; top-down, right and bottom exclusive) from the rectangle
// drawn in image 0 (start s, end e, normalised) in drawn state 20-25 at the
// view scale. The width is a multiple of 4, the height even; the rectangle
// is kept inside the region (regionW x regionH). False when it would be
// narrower than 4 or lower than 2 pixels.
bool TrimRectFromDrawing(int state, TrimPoint s, TrimPoint e, const ViewRect &image, int scale, int regionW,
                         int regionH, int *left, int *top, int *right, int *bottom);

#endif
