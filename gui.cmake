# desktop program: added with the viewer
