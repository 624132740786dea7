# Sourced by the packaging tests: art and PGP files the file types must tell
# apart, and what each must be named. PGP keys, signatures and messages stay
# PGP; a clear-signed message stays text, as it is without the package.
type_rows=(
  "art.ans text/x-ansi-art"
  "art.asc text/x-ansi-art"
  "key.asc application/pgp-keys"
  "signature.asc application/pgp-signature"
  "message.asc application/pgp-encrypted"
  "signed.asc text/plain"
)
write_type_samples() {  # SAMPLES_DIR DIR
  cp "$1/glyphora.ans" "$2/art.ans"
  cp "$1/glyphora.asc" "$2/art.asc"
  printf -- '-----BEGIN PGP PUBLIC KEY BLOCK-----\n\nmDMEZXsS0hYJKwYBBAHaRw8BAQdA\n=Ab1c\n-----END PGP PUBLIC KEY BLOCK-----\n' \
    >"$2/key.asc"
  printf -- '-----BEGIN PGP SIGNATURE-----\n\niHUEABYKAB0WIQQ\n=Xy2z\n-----END PGP SIGNATURE-----\n' \
    >"$2/signature.asc"
  printf -- '-----BEGIN PGP MESSAGE-----\n\nhF4DAAAAAAAAAAASAQdA\n=Qr3s\n-----END PGP MESSAGE-----\n' \
    >"$2/message.asc"
  printf -- '-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\nThe release is ready.\n-----BEGIN PGP SIGNATURE-----\n\niHUEARYKAB0WIQQ\n=Xy2z\n-----END PGP SIGNATURE-----\n' \
    >"$2/signed.asc"
}
# The type a desktop names a file by: xdg-mime asks File::MimeInfo's mimetype
# on a plain desktop and GIO on GNOME's, and the two decide differently.
type_desktops=(generic GNOME)
query_type() {  # DESKTOP FILE
  local desktop=$1
  [ "$desktop" = generic ] && desktop=
  XDG_CURRENT_DESKTOP=$desktop xdg-mime query filetype "$2" 2>/dev/null
}
