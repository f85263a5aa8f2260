#pragma once
// The windows were drawn up for a narrow classic dialog font. Where the desktop's font is wider
// a caption would be cut off at its label's edge, and a technician could not read the status.

class QLabel;

namespace hopper {

// Gives the label the largest font, at most `pointSize` and at least `smallestPointSize`, in
// which its whole caption fits the label's width. Call it again after each change of caption.
void FitCaption(QLabel* label, double pointSize, double smallestPointSize = 6.0);

}  // namespace hopper
