#pragma once

// The favourites file: Paths::favsPath(), two lines per slot (text, then title), read into and
// written from the shared FavTexts / FavTitles. Only a regular file (or a link to one) is used.
//
// LoadFavs(): creates a missing file empty, then fills slots 0 to n-1 from the n pairs the
// file holds; other slots keep what they held. SaveFavs(): rewrites slots 0 to 5 (12 lines,
// CR LF), but never over a file whose favourites could not be read. Both report their failures
// to the user and return false; the program keeps running and the old file stays intact.
bool LoadFavs();
bool SaveFavs();

class QString;

// Puts a verse into favourite slot (0 to 14), with every line break (CR LF, CR or LF) in text
// and title turned into one blank: a value that kept one would split into two lines of the
// file and shift every pair after it.
void storeFavourite(int slot, const QString& text, const QString& title);
