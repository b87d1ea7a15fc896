;;; emacs_eglot_test.el --- eglot against quelmix-config-lsp -*- lexical-binding: t -*-
;; SPDX-License-Identifier: MIT
;;
;; Emacs's eglot against quelmix-config-lsp, in batch, set up by the docs' own
;; snippet (run_emacs_test.sh loads it first): visit a file with mistakes,
;; run the command loop's hook as a key press would, wait for flymake's
;; diagnostics and check their lines and kinds, ask for hover, apply the
;; quick fix and see its diagnostic go, then format the buffer.  Exits 0
;; when all hold.

(require 'cl-lib)

(defvar quelmix-test-failures nil)

(defun quelmix-test-check (ok what)
  (unless ok (push what quelmix-test-failures)))

(defun quelmix-test-finish ()
  (if quelmix-test-failures
      (progn
        (message "emacs test: %s"
                 (mapconcat #'identity (reverse quelmix-test-failures) "\n  "))
        (kill-emacs 1))
    (message "emacs test: all checks passed")
    (kill-emacs 0)))

(defun quelmix-test-wait (predicate seconds)
  "Let timers and the server's output run until PREDICATE holds."
  (let ((deadline (+ (float-time) seconds)))
    (while (and (not (funcall predicate)) (< (float-time) deadline))
      (accept-process-output nil 0.05))
    (funcall predicate)))

(defun quelmix-test-diagnostics ()
  "Each flymake diagnostic as \"LINE:COLUMN CODE\", zero-based, sorted."
  (sort (mapcar (lambda (d)
                  (let ((text (flymake-diagnostic-text d))
                        (beg (flymake-diagnostic-beg d)))
                    (format "%d:%d %s"
                            (1- (line-number-at-pos beg))
                            (save-excursion (goto-char beg) (current-column))
                            (if (string-match "\\[\\([a-z-]+\\)\\]" text)
                                (match-string 1 text)
                              text))))
                (flymake-diagnostics))
        #'string<))

(defun quelmix-test-line (n)
  "Zero-based line N of the buffer."
  (save-excursion
    (goto-char (point-min))
    (forward-line n)
    (buffer-substring-no-properties (line-beginning-position)
                                    (line-end-position))))

(let* ((work (getenv "QUELMIX_WORK"))
       (path (expand-file-name "camera.cfg" work)))
  (with-temp-file path
    (insert "[camera parameter]\n"
            "I2C_ADDR = 0x10000\n"
            "SIZE=1920,1080\n"
            "[register parameter]\n"
            "REG = 0x3008 0x82\n"
            "bad line\n"
            "[control parameter]\n"
            "CTRL_NAME = Brightness\n"
            "step = 1\n"))
  (find-file path)
  (quelmix-test-check (eq major-mode 'quelmix-config-mode)
                      (format "the snippet set the mode: %s" major-mode))
  ;; eglot-ensure connects from the command loop; batch has none.
  (run-hooks 'post-command-hook)
  (quelmix-test-check (quelmix-test-wait (lambda () (eglot-managed-p)) 20)
                      "the snippet started eglot")
  (unless (eglot-managed-p) (quelmix-test-finish))

  (quelmix-test-check
   (quelmix-test-wait (lambda () (>= (length (flymake-diagnostics)) 4)) 20)
   "diagnostics arrived")
  (let ((found (quelmix-test-diagnostics)))
    (quelmix-test-check
     (equal found '("1:11 value-out-of-range" "4:13 trailing-text"
                    "5:0 missing-separator" "8:0 unknown-key"))
     (format "diagnostics: %S" found)))

  ;; Hover on a key: the field, its width, what the line stores.
  (goto-char (point-min))
  (forward-line 1)
  (forward-char 3)
  (let* ((hover (jsonrpc-request (eglot--current-server-or-lose)
                                 :textDocument/hover
                                 (eglot--TextDocumentPositionParams)))
         (words (format "%S" (plist-get hover :contents))))
    (quelmix-test-check (and (string-search "i2c_addr" words)
                             (string-search "16-bit" words)
                             (string-search "stores 0." words))
                        (format "hover: %s" words)))

  ;; The one quick fix on the unknown key's line, applied as eglot applies
  ;; it; the diagnostic goes with the next publication.
  (goto-char (point-min))
  (forward-line 8)
  (eglot-code-actions (line-beginning-position) (line-end-position)
                      "quickfix" t)
  (quelmix-test-check (equal (quelmix-test-line 8) "STEP = 1")
                      (format "the quick fix applied: %s"
                              (quelmix-test-line 8)))
  (quelmix-test-check
   (quelmix-test-wait
    (lambda ()
      (let ((found (quelmix-test-diagnostics)))
        (and found (not (member "8:0 unknown-key" found)))))
    20)
   (format "its diagnostic is gone: %S" (quelmix-test-diagnostics)))

  ;; Formatting, applied to the buffer as eglot applies it.
  (eglot-format-buffer)
  (quelmix-test-check (equal (quelmix-test-line 2) "SIZE     = 1920, 1080")
                      (format "formatted: %s" (quelmix-test-line 2)))
  (quelmix-test-check (and (equal (quelmix-test-line 3) "")
                           (equal (quelmix-test-line 4)
                                  "[register parameter]"))
                      "a blank line before each header")
  (set-buffer-modified-p nil)
  (ignore-errors (eglot-shutdown (eglot--current-server-or-lose)))
  (quelmix-test-finish))

;;; emacs_eglot_test.el ends here
