// The areas of the sample player, one function each; write_sample_player.cpp calls them in
// order on a fresh tree. An area adds its own files below the player's root (the mount point).
#pragma once

#include <string>

// Device files (SysInfo, DeviceInfo), the iTunesDB with songs, videos and playlists, and the
// silent MPEG audio files the database points to.
void WriteSampleSongs(const std::string& root);
// Album artwork for the songs of a few albums (after the songs: it follows their database
// ids) and the photo database with its thumbnails, full-size JPEG files and two albums.
void WriteSamplePictures(const std::string& root);
// Contacts, calendar events and to-do items (dated around today), and notes: a short one, a
// long text in linked pages and a news feed turned into text.
void WriteSampleOrganiser(const std::string& root);
