// Shared links: "#code=" and the base64url (no padding) of the script's UTF-8 bytes.
export function encodeShare(text) {
  let binary = '';
  for (const byte of new TextEncoder().encode(text)) binary += String.fromCharCode(byte);
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// What a fragment holds: null when it is no "#code=" link, { text } when it is one, and
// { error } when it is one that cannot be read (not base64url, or not UTF-8 text).
export function decodeShare(hash) {
  if (!hash.startsWith('#code=')) return null;
  const match = /^#code=([A-Za-z0-9_-]*)$/.exec(hash);
  if (match === null || match[1].length % 4 === 1) {
    return { error: 'This link holds no script that can be read: it is not base64url.' };
  }
  const binary = atob(match[1].replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
  try {
    return { text: new TextDecoder('utf-8', { fatal: true }).decode(bytes) };
  } catch {
    return { error: 'This link holds no script that can be read: it is not UTF-8 text.' };
  }
}
