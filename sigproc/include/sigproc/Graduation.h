// Axis graduation: the tick step of an axis from its range and its length
// in pixels, and the ticks themselves.
//
// Results: 0 success, -1 bad argument (null output, pixels < 1, an empty,
// inverted, tiny or non-finite range, a step <= 0), -2 out of memory, -3
// out of range (ticks too dense to count or place).
#pragma once

extern "C" {

// flag (only its low byte is read): 1 aims at ticks 125 pixels apart, any
// other value at 35; 0 also derives the starting step from the density,
// which decides the step for densities above 50 pixels per unit, where the
// other flags keep a step of 1. step receives the rounded step, spacing the
// distance between ticks in pixels. Outputs are untouched on failure.
int F_DllGetGraduationVal(double min, double max, int pixels, int flag, double* step, int* spacing);

// The ticks for the step F_DllGetGraduationVal chooses, or for a given
// step: *tickValues[i] is a tick's value and *pixelPositions[i] its pixel
// offset from the axis start, for i < *count. A non-null *pixelPositions or
// *tickValues is grown with realloc, else allocated; the arrays belong to
// the caller, who frees them with free().
int F_DllGetGraduationBuff(double min, double max, int pixels, int flag, int** pixelPositions, double** tickValues,
                           int* count);
int F_DllGetGraduationBuff2(double min, double max, int pixels, double step, int** pixelPositions,
                            double** tickValues, int* count);
}
