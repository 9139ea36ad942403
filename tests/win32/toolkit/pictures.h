#pragma once
// Resource ids of the test pictures in pictures.rc.
#define ID_KEY_BLUE 201
#define ID_NO_BLUE 202
#define ID_MASKED_COLOUR 203
#define ID_MASK 204
#define ID_MENU_SQUARE 205
#define ID_NO_TABLE 206
#define ID_MISSING 299
