# Writes SHA256SUMS for the release files, in the format `sha256sum -c` reads.
# Called with -DOUTPUT=<file> -DFILES=<file;file;...>.
set(lines "")
foreach(file IN LISTS FILES)
    file(SHA256 "${file}" hash)
    get_filename_component(name "${file}" NAME)
    string(APPEND lines "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUTPUT}" "${lines}")
