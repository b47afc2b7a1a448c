// Shared links: "#code=" and the base64url (no padding) of the script's UTF-8 bytes.
export function encodeShare(text) {
  let binary = '';
  for (const byte of new TextEncoder().encode(text)) binary += String.fromCharCode(byte);
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The script in a "#code=" fragment, or null when there is none or it is not base64url.
export function decodeShare(hash) {
  const match = /^#code=([A-Za-z0-9_-]*)$/.exec(hash);
  if (match === null || match[1].length % 4 === 1) return null;
  const binary = atob(match[1].replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
  return new TextDecoder().decode(bytes);
}
